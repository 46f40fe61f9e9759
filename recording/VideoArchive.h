#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "recording/ArchiveScan.h"
#include "recording/FrameInfo.h"
#include "recording/Platform.h"
#include "recording/SoundTrack.h"

namespace tavrin {

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
    // Closes the file, releases every slot and deletes the temporary sound file.
    void close();
    // The picture of slot `index`, or null. Never throws.
    std::unique_ptr<Image> readFrameImage(std::int32_t index);
    // The stored JPEG stream of slot `index` with its standard prefix restored: exactly the bytes
    // the decoder is given (a picture cut off by the end of the file reads as zeros there).
    // False, with `bytes` empty, when the slot has no readable picture. `bytes` keeps its memory
    // for the next call. Never throws.
    bool readFramePicture(std::int32_t index, std::vector<std::uint8_t>& bytes);

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
    void placePictures(std::vector<FrameInfo>& pictures, double earliestTick, double videoOffset);
    void fillGaps();
    void findFrameTimes();
    std::int64_t readPictureBytes(const FrameInfo& picture, std::uint8_t* out);

    BinaryFile file_;
    SoundTrack sound_;
    // The scan's read window, kept for the next archive (its pages are already mapped).
    std::vector<std::uint8_t> scanWindow_;
    CapturedSamples soundSamples_;
    std::vector<std::unique_ptr<FrameInfo>> slots_;
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
