#pragma once

#include <cstdint>
#include <vector>

#include "recording/ArchiveHeader.h"
#include "recording/FrameInfo.h"
#include "recording/SoundTrack.h"

namespace tavrin {

class ScanObserver;
class WindowedReader;

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
    // A picture block passed the device type check (the first one is checked).
    bool sawValidPicture = false;
    ScanDiagnostics diagnostics;
};

// Walks the blocks from offset 8192 on: resynchronises over damaged stretches, follows pictures
// across their blocks, checks their end markers and collects sound blocks when `collectSound`.
// Throws VideoArchiveException (5510) when the first picture block lacks the device type code.
// The first samples of each sound block go to `samples` (emptied first; its memory is reused).
ScanResult scanArchiveBlocks(WindowedReader& reader, std::int64_t fileLength,
                             const ArchiveHeaderInfo& header, bool collectSound,
                             ScanObserver* observer, CapturedSamples& samples);
// The same for callers that want only the block lists.
ScanResult scanArchiveBlocks(WindowedReader& reader, std::int64_t fileLength,
                             const ArchiveHeaderInfo& header, bool collectSound,
                             ScanObserver* observer);

// From `payloadStart`, finds the next block whose payload carries the maker pattern within the
// next 1 MiB; its header offset, or -1.
std::int64_t resyncToNextBlock(WindowedReader& reader, std::int64_t payloadStart);

}  // namespace tavrin
