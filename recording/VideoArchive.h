#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "media/PictureScaling.h"
#include "recording/ArchiveScan.h"
#include "recording/FrameInfo.h"
#include "recording/Platform.h"
#include "recording/ReadAheadSource.h"
#include "recording/SlotPlacer.h"
#include "recording/SoundTrack.h"
#include "recording/TrackAssembler.h"

namespace tavrin {

class ByteSource;
class Image;
class ScanObserver;

// One recording archive opened for playing: its pictures placed on the 28-per-second slot grid
// with their measurements, its sound written to a temporary wave file, and any picture decoded
// on demand. One object is reused for every recording; the image loader serialises its calls.
class VideoArchive {
public:
    VideoArchive();
    VideoArchive(const VideoArchive&) = delete;
    VideoArchive& operator=(const VideoArchive&) = delete;
    ~VideoArchive();

    // Scans the archive at `path` (closing the previous one first). Progress, message dispatching
    // and the warning when the sound cannot be restored go to `observer`, which may be null.
    // Throws VideoArchiveException (5510) when the archive cannot be read at all.
    void open(const Path& path, ScanObserver* observer);
    // The same for an archive already held in memory, its sound going to `sound` (null: the
    // recording goes without sound). The fuzzer and tests read archives this way; there is no
    // temporary file then.
    void openFromMemory(std::vector<std::uint8_t> bytes, SoundSink* sound, ScanObserver* observer);
    // Closes the file, releases every slot and deletes the temporary sound file.
    void close();
    // The picture of slot `index`, or null. Never throws. With a `wanted` size it comes as
    // decodeJpeg gives it for that box.
    std::unique_ptr<Image> readFrameImage(std::int32_t index, PictureSize wanted = {});
    // The stored JPEG stream of slot `index` with its standard prefix restored: exactly the bytes
    // the decoder is given (a picture cut off by the end of the file reads as zeros there).
    // False, with `bytes` empty, when the slot has no readable picture. `bytes` keeps its memory
    // for the next call. Never throws.
    bool readFramePicture(std::int32_t index, std::vector<std::uint8_t>& bytes);
    // The same with the archive's bytes read through `from`: the same file, read another way (the
    // exporter reads it once from front to back for its pictures and its checksum together).
    bool readFramePicture(std::int32_t index, std::vector<std::uint8_t>& bytes, ByteSource& from);

    std::int32_t slotCount() const { return slotCount_; }
    // The record of slot `index`, or null for an empty slot or an index outside the grid.
    const FrameInfo* slot(std::int32_t index) const;
    std::int32_t currentPosition() const { return currentPosition_; }
    void setCurrentPosition(std::int32_t position) { currentPosition_ = position; }
    std::int64_t startTime() const { return headerStartTime_; }
    std::int64_t startTick() const { return startTick_; }
    std::uint32_t recordingId() const { return recordingId_; }
    std::int64_t firstFrameTime() const { return firstFrameTime_; }
    std::int64_t lastFrameTime() const { return lastFrameTime_; }
    // Values the frame view exposes that this format always leaves at zero.
    std::int32_t reservedValue() const { return 0; }
    double reservedReal1() const { return 0.0; }
    double reservedReal2() const { return 0.0; }
    // What the last scan stepped over or stopped at; for reports, the viewer ignores it.
    const ScanDiagnostics& scanDiagnostics() const { return scanDiagnostics_; }
    // The temporary wave file, empty when the recording has none.
    const Path& soundFilePath() const { return sound_.path(); }
    std::int64_t soundDataBytes() const { return soundDataBytes_; }

private:
    // close() but for the sound file.
    void release();
    // Reads the header and walks the blocks of `scanned` (the archive read from its start to its
    // end), the sound going to `sound` while it does.
    ScanResult scanBlocks(ByteSource& scanned, SoundSink* sound, ScanObserver* observer);
    // Completes the sound track and builds the slot table from what the scan found; anything more
    // is read through source_.
    void place(ScanResult& scan, SoundSink* sound, ScanObserver* observer);
    void fillGaps();
    // The record a gap-filled slot takes after the one at `index`: the same picture without its
    // event mark.
    std::int32_t unmarkedRecord(std::int32_t index);
    void findFrameTimes();
    std::int64_t readPictureBytes(const FrameInfo& picture, std::uint8_t* out, ByteSource& from);

    BinaryFile file_;
    // Where pictures are read from: the archive file, or the archive in memory.
    std::unique_ptr<ByteSource> source_;
    SoundTrack sound_;
    // Reads the archive ahead of the scan; kept, with its thread and buffers, for the next one.
    ReadAheadSource readAhead_;
    // Kept from one recording to the next, with its buffer.
    TrackAssembler track_;
    // The pictures the scan found and the unmarked copies gap filling needs. Slots refer to them
    // by index (copies of an unmarked picture share it), so placing a recording allocates nothing
    // per slot.
    std::vector<FrameInfo> records_;
    static constexpr std::int32_t kEmpty = SlotPlacer::kEmpty;
    // The slot table: kSlotCount record indices, or kEmpty.
    std::vector<std::int32_t> slots_;
    // Fills the slot table while the scan goes on.
    SlotPlacer placer_{slots_};
    // The sound blocks' records of the last scan, kept for their memory.
    std::vector<FrameInfo> soundRecords_;
    std::int32_t slotCount_ = 0;
    std::int32_t currentPosition_ = -1;
    std::int64_t headerStartTime_ = 0;
    std::int64_t startTick_ = 0;
    std::uint32_t recordingId_ = 0;
    std::int64_t firstFrameTime_ = 0;
    std::int64_t lastFrameTime_ = 0;
    std::int64_t soundDataBytes_ = 0;
    ScanDiagnostics scanDiagnostics_;
};

}  // namespace tavrin
