// Exporting a clip of more than 1 GiB, joined from five recordings of large pictures, as one
// file, against one sequential read of the archives plus one sequential write of as many bytes,
// in the same run; and how many times faster than real time the export is.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#include "bench/BenchData.h"
#include "bench/BenchOutput.h"
#include "recording/Platform.h"
#include "recording/TextEncoding.h"
#include "tools/cardgen/ArchiveBuilder.h"
#include "tools/cardgen/CardWriter.h"
#include "tools/cardgen/JpegEncoder.h"
#include "tools/cardgen/Scene.h"
#include "tools/cardgen/Sound.h"
#include "tools/export/AviWriter.h"
#include "tools/export/ExportOptions.h"
#include "tools/export/Exporter.h"

namespace tavrin::bench {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kRecordings = 5;
constexpr int kPicturesPerRecording = 3200;  // 114 seconds each
constexpr int kDistinctPictures = 56;
// A stored picture of nine blocks holds up to 73,024 bytes.
constexpr std::size_t kSmallestPicture = 66000;
constexpr std::size_t kLargestPicture = 73000;
const char kDataVersion[] = "export-card-1";

// Memory freed a moment ago is written into several times faster than memory freed earlier,
// on a virtual machine that hands free memory back to its host after a second or two (reading
// the card takes the export that long before it writes). Each timed run starts after such a
// pause, so the export and the reference write into memory in the same state.
void letFreedMemorySettle() { std::this_thread::sleep_for(std::chrono::seconds(4)); }

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Pictures of the road scene, each compressed as large as a stored picture of nine blocks allows.
std::vector<cardgen::Bytes> largePictures() {
    std::vector<cardgen::Bytes> pictures;
    cardgen::Canvas canvas(1024, 768);
    for (int i = 0; i < kDistinctPictures; ++i) {
        cardgen::SceneFrame scene;
        scene.frameIndex = i;
        scene.seconds = i / 28.0;
        scene.distance = i * 0.5;
        cardgen::drawScene(canvas, scene);
        int low = 30, high = 100;
        cardgen::Bytes best = cardgen::encodeJpeg(canvas, low);
        while (low < high) {
            const int quality = (low + high + 1) / 2;
            cardgen::Bytes jpeg = cardgen::encodeJpeg(canvas, quality);
            if (jpeg.size() <= kLargestPicture) {
                best = std::move(jpeg);
                low = quality;
            } else {
                high = quality - 1;
            }
        }
        if (best.size() < kSmallestPicture) {
            std::fprintf(stderr, "a bench picture came out at only %zu bytes\n", best.size());
            std::exit(1);
        }
        pictures.push_back(std::move(best));
    }
    return pictures;
}

// Five recordings, each starting the second after the one before ends, so they join into one
// clip of 16,000 frames.
void writeCard(const fs::path& folder) {
    fs::create_directories(folder);
    const std::vector<cardgen::Bytes> pictures = largePictures();
    cardgen::SoundScript script;
    script.samples =
        static_cast<std::size_t>(kPicturesPerRecording / 28.0 * cardgen::kSampleRate) + 4096;
    script.speedPerFrame.assign(kPicturesPerRecording, 40.0);
    script.beepsMs = {20000.0};
    const cardgen::Bytes sound = cardgen::renderSound(script);
    for (int r = 0; r < kRecordings; ++r) {
        cardgen::ArchiveHeaderFields header;
        const int startSecond = r * (kPicturesPerRecording / 28 + 1);
        header.start = {2012, 7, 1, 9, startSecond / 60, startSecond % 60};
        header.startTick = 100000 + static_cast<std::uint32_t>(startSecond) * 1000;
        header.recordingId = 0x7000 + static_cast<std::uint32_t>(r);
        cardgen::ArchiveBuilder builder(header);
        std::size_t soundAt = 0;
        for (int i = 0; i < kPicturesPerRecording; ++i) {
            const std::uint32_t tick =
                header.startTick + 20 + static_cast<std::uint32_t>(i * 1000 / 28);
            // A block of 2048 samples about every 155 ms, as the unit writes them.
            while (soundAt * 1000 / cardgen::kSampleRate <=
                   static_cast<std::size_t>(i * 1000 / 28)) {
                builder.addSound(
                    cardgen::Bytes(sound.begin() + static_cast<std::ptrdiff_t>(soundAt),
                                   sound.begin() + static_cast<std::ptrdiff_t>(soundAt + 2048)),
                    header.startTick + 20 + 38 +
                        static_cast<std::uint32_t>(soundAt * 1000 / cardgen::kSampleRate));
                soundAt += 2048;
            }
            cardgen::FrameFields fields;
            const int second = startSecond + i / 28;
            fields.time = {2012, 7, 1, 9, second / 60, second % 60};
            fields.speed = 40;
            fields.mark = i >= 560 && i < 565 ? 0x20 : 0;
            builder.addPicture(pictures[static_cast<std::size_t>(i % kDistinctPictures)], tick,
                               fields);
        }
        const fs::path path = folder / cardgen::archiveName(r + 1, 1);
        if (!builder.writeTo(path.u8string())) {
            std::fprintf(stderr, "cannot write %s\n", path.u8string().c_str());
            std::exit(1);
        }
    }
    std::FILE* stamp = std::fopen((folder / "version").u8string().c_str(), "w");
    if (stamp != nullptr) {
        std::fputs(kDataVersion, stamp);
        std::fclose(stamp);
    }
}

bool cardIsCurrent(const fs::path& folder) {
    std::FILE* stamp = std::fopen((folder / "version").u8string().c_str(), "r");
    if (stamp == nullptr) return false;
    char text[64] = {};
    std::fgets(text, sizeof text, stamp);
    std::fclose(stamp);
    return std::string(text) == kDataVersion;
}

std::vector<Path> archivesOf(const fs::path& folder) {
    std::vector<Path> archives;
    for (int r = 0; r < kRecordings; ++r) {
        archives.push_back(fromUtf8((folder / cardgen::archiveName(r + 1, 1)).u8string()));
    }
    return archives;
}

// The reference: every archive read once in large pieces, then as many bytes written to one file.
double readAndWriteSeconds(const std::vector<Path>& archives, const Path& scratch) {
    std::vector<char> buffer(1 << 20);
    const Clock::time_point start = Clock::now();
    std::int64_t total = 0;
    for (const Path& archive : archives) {
        BinaryFile file = BinaryFile::openForReading(archive);
        for (std::size_t got; (got = file.read(buffer.data(), buffer.size())) > 0;) {
            total += static_cast<std::int64_t>(got);
        }
    }
    BinaryFile out = BinaryFile::createForWriting(scratch);
    for (std::int64_t written = 0; written < total;
         written += static_cast<std::int64_t>(buffer.size())) {
        const std::size_t piece = static_cast<std::size_t>(
            std::min<std::int64_t>(total - written, static_cast<std::int64_t>(buffer.size())));
        if (!out.write(buffer.data(), piece)) {
            std::fprintf(stderr, "cannot write the reference file\n");
            std::exit(1);
        }
    }
    out.close();
    const double seconds = secondsSince(start);
    deleteFile(scratch);
    return seconds;
}

double exportSeconds(const fs::path& card, const fs::path& out, std::int64_t& aviBytes) {
    fs::remove_all(out);
    fs::create_directories(out);
    exporter::ExportOptions options;
    options.mode = exporter::Mode::Span;
    options.from = 0;
    options.to = std::int64_t{1} << 40;
    options.quiet = true;
    options.input = fromUtf8(card.u8string());
    options.outFolder = fromUtf8(out.u8string());
    const Clock::time_point start = Clock::now();
    exporter::runExport(options, exporter::kRiffLimit);
    const double seconds = secondsSince(start);
    aviBytes = 0;
    int clips = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
        if (entry.path().extension() != ".avi") continue;
        aviBytes += static_cast<std::int64_t>(entry.file_size());
        ++clips;
    }
    if (clips != 1 || aviBytes <= (std::int64_t{1} << 30)) {
        std::fprintf(stderr, "the export gave %d clip(s) of %lld bytes, not one past 1 GiB\n",
                     clips, static_cast<long long>(aviBytes));
        std::exit(1);
    }
    fs::remove_all(out);
    return seconds;
}

}  // namespace
}  // namespace tavrin::bench

int main(int, char** argv) {
    using namespace tavrin::bench;
    const fs::path data = fs::u8path(benchDataFolder(argv[0]));
    const fs::path card = data / "export-card";
    if (!cardIsCurrent(card)) writeCard(card);
    const std::vector<tavrin::Path> archives = archivesOf(card);
    const tavrin::Path scratch = tavrin::fromUtf8((data / "export-reference.tmp").u8string());
    const fs::path out = data / "export-out";

    readAndWriteSeconds(archives, scratch);  // brings the archives into the system's cache
    double bestReference = 1e300;
    double bestExport = 1e300;
    std::int64_t aviBytes = 0;
    for (int round = 0; round < 3; ++round) {
        letFreedMemorySettle();
        bestReference = std::min(bestReference, readAndWriteSeconds(archives, scratch));
        letFreedMemorySettle();
        bestExport = std::min(bestExport, exportSeconds(card, out, aviBytes));
    }
    const double clipSeconds = kRecordings * kPicturesPerRecording / 28.0;
    printFigure("export_seconds", bestExport, "s");
    printFigure("export_reference_seconds", bestReference, "s");
    printFigure("export_gib", static_cast<double>(aviBytes) / (1 << 30), "GiB");
    printFigure("export_ratio", bestExport / bestReference, "ratio");
    printFigure("export_realtime_factor", clipSeconds / bestExport, "x");
    return 0;
}
