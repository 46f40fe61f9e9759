#include "recording/ArchiveHeader.h"

#include "recording/ArchiveFormat.h"
#include "recording/ByteSource.h"
#include "recording/LocalTime.h"
#include "recording/Platform.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {

namespace {

constexpr unsigned kCannotReadData = 5510;

ArchiveHeaderInfo headerOrThrow(const std::uint8_t* header, std::size_t got) {
    if (got != kArchiveHeaderSize) throw VideoArchiveException(loadMessage(kCannotReadData));
    ArchiveHeaderInfo info;
    info.startTime = bcdDateTimeOrZero(header + 2);
    info.startTick = readBigEndian32(header + 16);
    info.recordingId = readBigEndian32(header + 28);
    return info;
}

}  // namespace

ArchiveHeaderInfo readArchiveHeader(BinaryFile& file) {
    std::uint8_t header[kArchiveHeaderSize];
    return headerOrThrow(header, file.read(header, sizeof header));
}

ArchiveHeaderInfo readArchiveHeader(ByteSource& source) {
    std::uint8_t header[kArchiveHeaderSize];
    return headerOrThrow(header, source.readAt(0, header, sizeof header));
}

std::int64_t readArchiveStartTime(BinaryFile& file) {
    std::uint8_t header[8];
    if (file.read(header, sizeof header) != sizeof header) {
        throw VideoArchiveException(loadMessage(kCannotReadData));
    }
    return bcdDateTimeOrZero(header + 2);
}

}  // namespace tavrin
