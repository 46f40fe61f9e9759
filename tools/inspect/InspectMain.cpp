// tavrin-inspect [--wav OUT.wav] [--csv] ARCHIVE
// Opens a recording archive as the viewer does and prints what the scan found: JSON by default,
// or one telemetry row per slot with --csv. --wav keeps a copy of the extracted sound.
#include <cstdio>
#include <string>
#include <vector>

#include "recording/DeviceTypeCode.h"
#include "recording/Platform.h"
#include "recording/ScanObserver.h"
#include "recording/TextEncoding.h"
#include "recording/VideoArchive.h"
#include "tools/inspect/ArchiveReport.h"
#include "tools/inspect/Arguments.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace {

using namespace tavrin;

class QuietObserver : public ScanObserver {
public:
    void showLoadingProgress(int) override {}
    void dispatchPendingMessages() override {}
    void warnSoundUnavailable() override {
        std::fprintf(stderr, "%s\n", toUtf8(loadMessage(5501)).c_str());
    }
};

bool copyFile(const Path& from, const Path& to) {
    BinaryFile in = BinaryFile::openForReading(from);
    BinaryFile out = BinaryFile::createForWriting(to);
    if (!in.isOpen() || !out.isOpen()) return false;
    std::vector<char> buffer(1 << 16);
    for (std::size_t got; (got = in.read(buffer.data(), buffer.size())) > 0;) {
        if (!out.write(buffer.data(), got)) return false;
    }
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: tavrin-inspect [--wav OUT.wav] [--csv] ARCHIVE\n");
    return 2;
}

void print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::wstring> args = tools::commandLineArguments(argc, argv);
    Path archivePath;
    Path wavPath;
    bool csv = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--csv") {
            csv = true;
        } else if (args[i] == L"--wav" && i + 1 < args.size()) {
            wavPath = args[++i];
        } else if (archivePath.empty() && !args[i].empty() && args[i][0] != L'-') {
            archivePath = args[i];
        } else {
            return usage();
        }
    }
    if (archivePath.empty()) return usage();

    loadDeviceTypeCode(loadMessage(5087));
    VideoArchive archive;
    QuietObserver observer;
    try {
        archive.open(archivePath, &observer);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", toUtf8(e.message()).c_str());
        return 1;
    }
    if (!wavPath.empty() && !copyFile(archive.soundFilePath(), wavPath)) {
        std::fprintf(stderr, "cannot write %s\n", toUtf8(wavPath).c_str());
        return 1;
    }
    print(csv ? tools::archiveCsv(archive) : tools::archiveJson(archive));
    return 0;
}
