// The archive scan and the picture reader over damaged archives. The input is an archive without
// its unread 8 KiB preamble (header bytes, then blocks), so the fuzzer spends its effort on the
// blocks; the target puts the preamble back before writing the file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/Image.h"
#include "recording/Platform.h"
#include "recording/VideoArchive.h"
#include "recording/VideoInfo07.h"
#include "ui/Exception.h"

namespace {

struct InputFile {
    tavrin::Path path = tavrin::createUniqueFile(tavrin::temporaryFolder(), L"fza");
    ~InputFile() {
        if (!path.empty()) tavrin::deleteFile(path);
    }
};

constexpr std::size_t kHeader = 32;
constexpr std::size_t kPreamble = 8192;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static InputFile input;
    if (input.path.empty()) return 0;
    std::vector<std::uint8_t> bytes(data, data + std::min(size, kHeader));
    if (size > kHeader) {
        bytes.resize(kPreamble, 0);
        bytes.insert(bytes.end(), data + kHeader, data + size);
    }
    {
        tavrin::BinaryFile file = tavrin::BinaryFile::createForWriting(input.path);
        if (!file.write(bytes.data(), bytes.size())) return 0;
    }
    static tavrin::VideoArchive archive;
    try {
        archive.open(input.path, nullptr);
    } catch (const tavrin::Exception&) {
        archive.close();
        return 0;
    }
    tavrin::VideoInfo07 info(archive);
    info.collectMarkedFrames();
    for (std::int32_t i = 0; i < info.frameCount(); ++i) {
        // After gap filling every slot below the count holds a record.
        if (info.frameAt(i) == nullptr) __builtin_trap();
        auto picture = archive.readFrameImage(i);
        if (picture && picture->byteSize() != picture->width() * picture->height() * 4) {
            __builtin_trap();
        }
    }
    archive.close();
    return 0;
}
