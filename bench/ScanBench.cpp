// Opening the largest archive the format allows (30,000 pictures), warm, against reading the same
// file once sequentially with large reads, in the same run; and listing a folder of 2,000
// archives.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/BenchData.h"
#include "bench/BenchOutput.h"
#include "recording/ArchiveListing.h"
#include "recording/Platform.h"
#include "recording/ScanObserver.h"
#include "recording/TextEncoding.h"
#include "recording/VideoArchive.h"
#include "tools/cardgen/ArchiveBuilder.h"
#include "tools/cardgen/CardWriter.h"

namespace tavrin::bench {
namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Keeps the thread's messages flowing as the viewer's player does.
class PumpingObserver : public ScanObserver {
public:
    void showLoadingProgress(int) override {}
    void dispatchPendingMessages() override { pumpMessages(); }
    void warnSoundUnavailable() override {}
};

double sequentialReadMs(const Path& path) {
    std::vector<char> buffer(1 << 20);
    Clock::time_point start = Clock::now();
    BinaryFile file = BinaryFile::openForReading(path);
    while (file.read(buffer.data(), buffer.size()) == buffer.size()) {
    }
    return millisecondsSince(start);
}

void benchScan(const std::string& dataFolder) {
    std::string large = dataFolder + "/large.DAT";
    if (!std::filesystem::exists(large)) {
        cardgen::writeLargeArchive(large, 1, [](const std::string&) {});
    }
    Path path = fromUtf8(large);
    VideoArchive archive;
    PumpingObserver observer;
    archive.open(path, &observer);  // warms the cache
    double bestScan = 1e300;
    double bestRead = 1e300;
    for (int round = 0; round < 5; ++round) {
        bestRead = std::min(bestRead, sequentialReadMs(path));
        Clock::time_point start = Clock::now();
        archive.open(path, &observer);
        bestScan = std::min(bestScan, millisecondsSince(start));
    }
    if (archive.slotCount() < 29000) {
        std::fprintf(stderr, "the large archive opened with only %d slots\n", archive.slotCount());
        std::exit(1);
    }
    printFigure("scan_ms", bestScan, "ms");
    printFigure("read_ms", bestRead, "ms");
    printFigure("scan_ratio", bestScan / bestRead, "ratio");
}

void benchListing(const std::string& dataFolder) {
    constexpr int kArchives = 2000;
    std::filesystem::path folder = std::filesystem::path(dataFolder) / "folder2000";
    std::filesystem::create_directories(folder);
    for (int i = 0; i < kArchives; ++i) {
        std::string name = cardgen::archiveName(i % 9999 + 1, i / 9999 + 1);
        std::filesystem::path file = folder / name;
        if (std::filesystem::exists(file)) continue;
        cardgen::ArchiveHeaderFields header;
        header.start = {2012, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 0};
        cardgen::ArchiveBuilder(header).writeTo(file.string());
    }
    Path chosen = fromUtf8((folder / cardgen::archiveName(1000, 1)).string());
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        std::vector<std::unique_ptr<ArchiveEntry>> list;
        std::int32_t count = 0;
        Clock::time_point start = Clock::now();
        listArchives(chosen, list, count);
        best = std::min(best, millisecondsSince(start));
        if (count != kArchives) {
            std::fprintf(stderr, "listed %d archives\n", count);
            std::exit(1);
        }
    }
    printFigure("list_ms_per_archive", best / kArchives, "ms");
}

}  // namespace
}  // namespace tavrin::bench

int main(int, char** argv) {
    std::string data = tavrin::bench::benchDataFolder(argv[0]);
    tavrin::bench::benchScan(data);
    tavrin::bench::benchListing(data);
    return 0;
}
