#include "bench/MonitorRecorder_win.h"

#include <stdexcept>

#include "bench/PerformanceClock_win.h"
#include "bench/SinkLatency.h"
#include "tests/support/HostShell_win.h"

namespace tavrin::bench {
namespace {

constexpr const char* kRecorder = "/usr/bin/parec";
// The recorder ends by itself after this long, should the benchmark never stop it.
constexpr int kLongestRecordingSeconds = 3600;
constexpr DWORD kStopTimeoutMs = 10000;
// Between looks at the file. Each sleep under Wine is a round trip to its server, and at 1 ms the
// watcher took half a core of a two-core machine from the player it measures. The clock is fitted
// to the earliest arrival of each stretch, which a few milliseconds between looks still catch.
constexpr DWORD kPollMs = 3;

bool exists(const Path& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool waitFor(const Path& path, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!exists(path)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

bool MonitorRecorder::available() {
    return test::wineHostReachable() && exists(L"Z:\\usr\\bin\\parec");
}

MonitorRecorder::MonitorRecorder(int sampleRate, int latencyMs)
    : file_(folder_.file(L"monitor.raw")), hostFolder_(test::hostPath(folder_.path())) {
    if (hostFolder_.empty())
        throw std::runtime_error("the monitor can be recorded only under Wine");
    // The monitor of the default output is what the player's sound goes to. The shell notes the
    // recorder's process so that it can be ended, and marks its own end with a file.
    test::startHostScript(
        "timeout " + std::to_string(kLongestRecordingSeconds) + " " + kRecorder +
        " --device=@DEFAULT_MONITOR@ --raw --format=s16le --channels=1 --rate=" +
        std::to_string(sampleRate) + " --latency-msec=" + std::to_string(latencyMs) + " " +
        quoted(hostFolder_ + "/monitor.raw") + " & echo $! > " + quoted(hostFolder_ + "/pid") +
        "; wait; touch " + quoted(hostFolder_ + "/ended"));
    arrivals_.reserve(1 << 20);
    watcher_ = std::thread([this] { watch(); });
}

MonitorRecorder::~MonitorRecorder() { stop(); }

std::int64_t MonitorRecorder::fileBytes() const {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(file_.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<std::int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

void MonitorRecorder::watch() {
    std::int64_t last = -1;
    while (!stopping_) {
        const std::int64_t bytes = fileBytes();
        // Stamped at once: the moment the growth was seen is the point of the whole exercise.
        const double now = performanceMs();
        if (bytes != last) {
            arrivals_.push_back({now, bytes / 2});
            bytesSeen_ = bytes;
            last = bytes;
        }
        Sleep(kPollMs);
    }
}

bool MonitorRecorder::waitUntilFlowing(DWORD settleMs, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (bytesSeen_ == 0) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
    const std::int64_t before = bytesSeen_;
    Sleep(settleMs);
    return bytesSeen_ > before;
}

void MonitorRecorder::stop() {
    if (stopped_) return;
    stopped_ = true;
    const Path pidFile = folder_.file(L"pid");
    if (waitFor(pidFile, kStopTimeoutMs)) {
        test::startHostScript("kill $(cat " + quoted(hostFolder_ + "/pid") + ")");
        waitFor(folder_.file(L"ended"), kStopTimeoutMs);
    }
    stopping_ = true;
    if (watcher_.joinable()) watcher_.join();
}

std::optional<double> MonitorRecorder::sinkLatencyMs() const {
    test::TestFolder folder;
    const std::string host = test::hostPath(folder.path());
    test::startHostScript("LC_ALL=C pactl list sinks > " + quoted(host + "/sinks") +
                          "; LC_ALL=C pactl get-default-sink > " + quoted(host + "/default") +
                          "; touch " + quoted(host + "/ended"));
    if (!waitFor(folder.file(L"ended"), kStopTimeoutMs)) return std::nullopt;
    const test::Bytes listing = test::readBytes(folder.file(L"sinks"));
    const test::Bytes name = test::readBytes(folder.file(L"default"));
    std::string sink(name.begin(), name.end());
    while (!sink.empty() && (sink.back() == '\n' || sink.back() == '\r')) sink.pop_back();
    return configuredSinkLatencyMs(std::string(listing.begin(), listing.end()), sink);
}

std::vector<std::int16_t> MonitorRecorder::samples() const {
    const test::Bytes bytes = test::readBytes(file_);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

}  // namespace tavrin::bench
