#pragma once

#include <cstdint>
#include <vector>

#include "recording/ArchiveHeader.h"
#include "recording/FrameInfo.h"

namespace tavrin {

class ByteSource;
class ScanObserver;
class TrackAssembler;

// What one pass over an archive's blocks finds: the pictures and the sound blocks in file order.
struct ScanResult {
    std::vector<FrameInfo> pictures;
    std::vector<FrameInfo> sounds;
    // A picture block passed the device type check (the first one is checked).
    bool sawValidPicture = false;
};

// Walks the blocks from offset 8192 on: resynchronises over damaged stretches, follows pictures
// across their blocks, checks their end markers and collects sound blocks when `collectSound`.
// Each sound block collected also goes to `track`, when there is one, with its first samples.
// Throws VideoArchiveException (5510) when the first picture block lacks the device type code.
// The lists are built in `recycled`'s, emptied first, so that their memory serves again.
ScanResult scanArchiveBlocks(ByteSource& reader, std::int64_t fileLength,
                             const ArchiveHeaderInfo& header, bool collectSound,
                             ScanObserver* observer, TrackAssembler* track = nullptr,
                             ScanResult recycled = {});

// From `payloadStart`, finds the next block whose payload carries the maker pattern within the
// next 1 MiB; its header offset, or -1.
std::int64_t resyncToNextBlock(ByteSource& reader, std::int64_t payloadStart);

}  // namespace tavrin
