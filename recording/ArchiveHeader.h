#pragma once

#include <cstdint>

namespace tavrin {

class BinaryFile;
class ByteSource;

// What the 32-byte header at the start of an archive says.
struct ArchiveHeaderInfo {
    std::int64_t startTime = 0;  // 0 when the header's date is not valid
    std::int64_t startTick = 0;
    std::uint32_t recordingId = 0;
};

// Reads the header at the file's current position (its start). A short read throws
// VideoArchiveException with text 5510.
ArchiveHeaderInfo readArchiveHeader(BinaryFile& file);
// The same from the start of `source`.
ArchiveHeaderInfo readArchiveHeader(ByteSource& source);
// Reads only the first 8 bytes and returns the start time, or 0 when the date is not valid. A
// short read throws VideoArchiveException with text 5510.
std::int64_t readArchiveStartTime(BinaryFile& file);

}  // namespace tavrin
