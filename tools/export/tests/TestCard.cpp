#include "tools/export/tests/TestCard.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "recording/ArchiveListing.h"
#include "recording/TextEncoding.h"
#include "tests/support/TestPictures.h"
#include "tools/cardgen/CardWriter.h"
#include "tools/cardgen/FrameStrip.h"
#include "tools/cardgen/JpegEncoder.h"
#include "tools/cardgen/RecordingWriter.h"

namespace tavrin::exporttest {

namespace {

constexpr int kJoinedFrames = 112;  // four seconds each

void writeJoinedPair(const Path& card) {
    cardgen::RecordingRequest request;
    request.drive.start = {2012, 5, 4, 9, 0, 0};
    request.drive.firstTick = 50000;
    request.drive.frames = kJoinedFrames;
    request.width = 320;
    request.height = 240;
    request.fileGroup = 4;
    for (int part = 0; part < 2; ++part) {
        request.fileNumber = 7 + part;
        request.drive.recordingId = 0x3000 + static_cast<std::uint32_t>(part);
        request.seed = 77 + static_cast<std::uint64_t>(part);
        cardgen::RecordingStats stats;
        const cardgen::ArchiveBuilder archive = cardgen::buildRecording(request, stats);
        const Path path = card + kPathSeparator + fromUtf8(cardgen::archiveName(7 + part, 4));
        if (!archive.writeTo(toUtf8(path))) throw std::runtime_error("cannot write the card");
        // The unit starts the next file as the last one closes.
        request.drive.start.second += kJoinedFrames / 28;
        request.drive.firstTick += static_cast<std::uint32_t>(kJoinedFrames * 1000 / 28);
    }
}

std::string stringAfter(const std::string& text, std::size_t& at, const std::string& key) {
    at = text.find("\"" + key + "\": ", at);
    if (at == std::string::npos) throw std::runtime_error("manifest without " + key);
    at += key.size() + 4;
    if (text[at] == '"') {
        const std::size_t end = text.find('"', at + 1);
        std::string value = text.substr(at + 1, end - at - 1);
        at = end;
        return value;
    }
    const std::size_t end = text.find_first_of(",}\n", at);
    std::string value = text.substr(at, end - at);
    at = end;
    return value;
}

// A noisy picture of `height` rows, different for each seed.
cardgen::Bytes noisyJpeg(int height, unsigned seed) {
    test::RawPicture picture = test::solidPicture(320, height, 3, {0, 0, 0});
    for (std::uint8_t& sample : picture.samples) {
        seed = seed * 1103515245u + 12345u;
        sample = static_cast<std::uint8_t>(seed >> 24);
    }
    return test::encodeJpeg(picture, test::JpegKind::Colour, 90);
}

// The rows a noisy picture needs to take nine blocks when stored.
int largePictureHeight() {
    int height = 64;
    while (noisyJpeg(height, 7).size() <= 64000) height += 8;
    return height;
}

}  // namespace

TestCard* Export::card = nullptr;

void Export::SetUpTestSuite() { card = new TestCard(); }

void Export::TearDownTestSuite() {
    delete card;
    card = nullptr;
}

void writeArchiveOfLargePictures(const Path& path, int pictures) {
    cardgen::ArchiveHeaderFields header;
    header.start = {2012, 6, 1, 12, 0, 0};
    header.startTick = 1000;
    cardgen::ArchiveBuilder builder(header);
    const cardgen::Bytes jpeg = noisyJpeg(largePictureHeight(), 7);
    for (int i = 0; i < pictures; ++i) {
        cardgen::FrameFields fields;
        fields.time = {2012, 6, 1, 12, 0, i / 28};
        fields.mark = i >= 10 && i < 15 ? 0x20 : 0;  // an event
        builder.addPicture(jpeg, 1000 + static_cast<std::uint32_t>(i * 1000 / 28), fields);
    }
    if (!builder.writeTo(toUtf8(path))) throw std::runtime_error("cannot write the archive");
}

void writeArchiveStoredOutOfOrder(const Path& path, int pictures) {
    cardgen::ArchiveHeaderFields header;
    header.start = {2012, 6, 2, 12, 0, 0};
    header.startTick = 1000;
    cardgen::ArchiveBuilder builder(header);
    for (int stored = 0; stored < pictures; ++stored) {
        // The first picture shown comes last.
        const int shown = (stored + 1) % pictures;
        cardgen::Canvas canvas(320, 160);
        unsigned seed = 100 + static_cast<unsigned>(shown);
        for (int y = 0; y < cardgen::stripTop(canvas.height()); ++y) {
            std::uint8_t* row = canvas.row(y);
            for (int x = 0; x < canvas.width() * 3; ++x) {
                seed = seed * 1103515245u + 12345u;
                row[x] = static_cast<std::uint8_t>(seed >> 24);
            }
        }
        cardgen::drawFrameStrip(canvas, shown);
        cardgen::FrameFields fields;
        fields.time = {2012, 6, 2, 12, 0, shown / 28};
        // Ticks rounded up, so each picture has a slot of its own.
        builder.addPicture(cardgen::encodeJpeg(canvas, 90),
                           1000 + static_cast<std::uint32_t>((shown * 1000 + 27) / 28), fields);
    }
    if (!builder.writeTo(toUtf8(path))) throw std::runtime_error("cannot write the archive");
}

std::vector<std::wstring> filesIn(const Path& folder, const std::wstring& extension) {
    std::vector<std::wstring> all;
    listFolder(folder, all);
    std::vector<std::wstring> names;
    for (const std::wstring& name : all) {
        if (name == L"." || name == L"..") continue;
        if (name.size() >= extension.size() &&
            name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

TestCard::TestCard() : card_(root_.file(L"証拠カード")) {
    cardgen::CardOptions options;
    options.folder = toUtf8(card_);
    options.recordings = 2;
    options.frames = 140;
    options.width = 320;
    options.height = 240;
    options.damage = {cardgen::Damage::Truncated, cardgen::Damage::Garbage,
                      cardgen::Damage::ForeignId, cardgen::Damage::NoEndMarker};
    cardgen::writeCard(options, [](const std::string&) {});
    writeJoinedPair(card_);
}

std::vector<std::wstring> TestCard::archives() const {
    std::vector<std::wstring> names;
    listFolder(card_, names);
    std::vector<std::wstring> found;
    for (const std::wstring& name : names) {
        if (isArchiveFileName(name)) found.push_back(name);
    }
    return found;
}

Path TestCard::newOutFolder() {
    const Path folder = root_.file(L"out" + std::to_wstring(++outFolders_));
    std::filesystem::create_directory(std::filesystem::u8path(toUtf8(folder)));
    return folder;
}

ManifestReading readManifest(const Path& path) {
    const test::Bytes bytes = test::readBytes(path);
    const std::string text(bytes.begin(), bytes.end());
    ManifestReading m;
    std::size_t at = 0;
    m.frames = std::stoi(stringAfter(text, at, "frames"));
    const std::size_t filesAt = text.find("\"files\"");
    while (true) {
        const std::size_t next = text.find("{\"file\"", at);
        if (next == std::string::npos) break;
        at = next;
        if (next < filesAt) {
            ManifestReading::Source s;
            s.file = stringAfter(text, at, "file");
            s.sha256 = stringAfter(text, at, "sha256");
            s.firstSlot = std::stoi(stringAfter(text, at, "firstSlot"));
            s.lastSlot = std::stoi(stringAfter(text, at, "lastSlot"));
            m.sources.push_back(s);
        } else {
            ManifestReading::File f;
            f.file = stringAfter(text, at, "file");
            f.bytes = std::stoll(stringAfter(text, at, "bytes"));
            f.sha256 = stringAfter(text, at, "sha256");
            m.files.push_back(f);
        }
    }
    return m;
}

}  // namespace tavrin::exporttest
