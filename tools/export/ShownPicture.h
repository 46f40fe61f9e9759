#pragma once

// The picture the viewer shows at a slot: the slot's own when it can be read, otherwise the one
// already on screen (a picture that cannot be decoded leaves the previous one in place). The
// bytes are the stored JPEG stream with its standard prefix restored, bit for bit.

#include <cstdint>
#include <vector>

namespace tavrin {
class ByteSource;
class VideoArchive;
}  // namespace tavrin

namespace tavrin::exporter {

// Whether slot `slot` only repeats the stored picture of the slot before it (a gap filled).
bool sharesPicture(const VideoArchive& archive, std::int32_t slot);

class ShownPicture {
public:
    // Moves on to slot `slot`, reading its picture unless it repeats the one before (through
    // `from` when given, the archive's file read another way). False when the slot has no
    // picture of its own that can be shown; bytes() then still holds the last one that could.
    bool take(VideoArchive& archive, std::int32_t slot, ByteSource* from = nullptr);
    // The next slot comes from another recording.
    void newRecording() { lastSlot_ = -2; }

    bool shown() const { return shown_; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint8_t> reading_;
    bool shown_ = false;
    bool lastOwn_ = false;
    std::int32_t lastSlot_ = -2;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace tavrin::exporter
