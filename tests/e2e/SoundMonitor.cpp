#include "tests/e2e/SoundMonitor.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "tests/e2e/HostCommand.h"
#include "tests/e2e/ViewerSession.h"
#include "tests/support/TestFolder.h"

namespace tavrin::e2e {
namespace {

constexpr int kSampleRate = 22050;
constexpr const char* kRecorder = "/usr/bin/parec";

}  // namespace

bool SoundMonitor::available() {
    return hostCommandsAvailable() &&
           GetFileAttributesW(hostPathToWine(kRecorder).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::int16_t> SoundMonitor::record(DWORD ms) const {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", ms / 1000.0);
    // The recorder sometimes gets no stream from the server on its first connection: a
    // recording with (almost) nothing in it is taken again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        test::TestFolder folder;
        const std::string file = hostPath(folder.file(L"sound.raw"));
        // The monitor of the default output is what the viewer's sound goes to.
        runHostCommand(std::string("timeout ") + seconds + " " + kRecorder +
                           " --device=@DEFAULT_MONITOR@ --raw --format=s16le --rate=" +
                           std::to_string(kSampleRate) + " --channels=1 '" + file + "'",
                       ms + 15000);
        const test::Bytes bytes = test::readBytes(folder.file(L"sound.raw"));
        if (bytes.size() / 2 < static_cast<std::size_t>(kSampleRate) * ms / 1000 / 10) continue;
        std::vector<std::int16_t> samples(bytes.size() / 2);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        return samples;
    }
    throw std::runtime_error("the sound recorder recorded nothing");
}

double SoundMonitor::loudness(const std::vector<std::int16_t>& samples) {
    if (samples.empty()) return 0;
    double sum = 0;
    for (std::int16_t s : samples) sum += s;
    const double mean = sum / static_cast<double>(samples.size());
    double squares = 0;
    for (std::int16_t s : samples) squares += (s - mean) * (s - mean);
    return std::sqrt(squares / static_cast<double>(samples.size()));
}

}  // namespace tavrin::e2e
