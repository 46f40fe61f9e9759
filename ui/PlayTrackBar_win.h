#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/ImageTrackBar_win.h"

namespace tavrin {

// The position slider of the playback panel: an ImageTrackBar that also draws a marker picture
// at every event-marked frame. Markers are drawn with the three-slice track.
class PlayTrackBar : public ImageTrackBar {
public:
    static constexpr int kX = 249;
    static constexpr int kY = 26;
    static constexpr int kWidth = 526;
    static constexpr int kHeight = 30;
    static constexpr int kMarkerImageId = 10030;
    // The marker's top edge in client pixels.
    static constexpr int kMarkerTop = 11;

    explicit PlayTrackBar(HWND parent);

    // Slider values to mark; repaints only when the list changes.
    void setMarkers(std::vector<std::int32_t> values);
    const std::vector<std::int32_t>& markers() const { return markers_; }
    void setMarkerPicture(std::unique_ptr<AlphaImage> picture);

protected:
    void drawTrack(HDC dc, int width, int height) override;

private:
    std::vector<std::int32_t> markers_;
    std::unique_ptr<AlphaImage> markerImage;
};

}  // namespace tavrin
