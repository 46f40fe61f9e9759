#pragma once

#include <cstdint>
#include <vector>

#include "recording/ArchiveHeader.h"
#include "recording/FrameInfo.h"

namespace tavrin {

class ByteSource;
class ScanObserver;
class SlotPlacer;
class TrackAssembler;

// What a scan stepped over or stopped at, for reports of a card's damage: how often each thing
// happened and the file offset of the first time (-1 for never).
struct ScanDiagnostics {
    struct Finding {
        std::int32_t count = 0;
        std::int64_t firstOffset = -1;
        void note(std::int64_t offset) {
            if (count++ == 0) firstOffset = offset;
        }
    };
    Finding resynchronised;    // a block without the maker pattern: the scan searched onwards
    Finding outOfSequence;     // a block whose sequence number was not the one expected
    Finding missingEndMarker;  // a picture dropped for want of its end-of-image marker
    Finding foreignRecording;  // a block of another recording ended the scan
    Finding cutOff;            // the file ended inside a block; the offset is the file's length
};

// What one pass over an archive's blocks finds: the pictures and the sound blocks in file order.
struct ScanResult {
    std::vector<FrameInfo> pictures;
    std::vector<FrameInfo> sounds;
    // The smallest tick of the pictures kept (the largest double when there is none) and of the
    // sounds (0 when there is none), worked out as they are met.
    double earliestPictureTick = 0.0;
    std::int64_t firstSoundTick = 0;
    // A picture block passed the device type check (the first one is checked).
    bool sawValidPicture = false;
    ScanDiagnostics diagnostics;
};

// Walks the blocks from offset 8192 on: resynchronises over damaged stretches, follows pictures
// across their blocks, checks their end markers and collects sound blocks when `collectSound`.
// Each sound block collected also goes to `track`, when there is one, with its first samples;
// each picture goes to `placer`, when there is one, once the next has begun.
// Throws VideoArchiveException (5510) when the first picture block lacks the device type code.
// The lists are built in `recycled`'s, emptied first, so that their memory serves again.
ScanResult scanArchiveBlocks(ByteSource& reader, std::int64_t fileLength,
                             const ArchiveHeaderInfo& header, bool collectSound,
                             ScanObserver* observer, TrackAssembler* track = nullptr,
                             SlotPlacer* placer = nullptr, ScanResult recycled = {});

// From `payloadStart`, finds the next block whose payload carries the maker pattern within the
// next 1 MiB; its header offset, or -1.
std::int64_t resyncToNextBlock(ByteSource& reader, std::int64_t payloadStart);

}  // namespace tavrin
