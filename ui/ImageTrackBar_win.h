#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "media/AlphaImage_win.h"
#include "ui/ImageTrackBarListener.h"
#include "ui/TrackGeometry.h"
#include "ui/Window_win.h"

namespace tavrin {

class TrackToolTip;

// The tooltip text for a slider value.
using TrackValueFormatter = std::wstring (*)(std::int32_t value);

// A horizontal slider drawn from skin pictures: a track and a thumb at natural size, or the track
// cut in three slices and stretched to the client width. A click away from the thumb puts the
// thumb's left edge under the pointer; dragging follows the pointer, and the listener hears the
// value every 100 ms while the mouse is held, not on every move. Create it with new; its window
// owns it.
class ImageTrackBar : public Window {
public:
    ImageTrackBar(HWND parent, int x, int y, int width, int height);

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Thumb and track always, the fill (the track left of the thumb) only when fillId is not 0.
    // A picture missing from the resources leaves the slider without it: it then paints the
    // button face and ignores the pointer.
    void setImages(int thumbId, int trackId, int fillId);
    void setPictures(std::unique_ptr<AlphaImage> thumb, std::unique_ptr<AlphaImage> track,
                     std::unique_ptr<AlphaImage> fill);

    // The thumb's left edge for `v`; 0 without both pictures or with an empty range.
    std::int32_t valueToPixel(std::int32_t v) const;
    // Clamps `v`; moves the thumb (repainting) when its pixel changes; tells the listener when the
    // value changes and `notify` is set.
    void setValue(std::int32_t v, bool notify);
    // The value for pointer position `x` (the thumb's centre there). Nothing without pictures.
    void setValueFromPixel(int x, bool notify);
    // An empty range (max below min) becomes [min, min]. A value outside is pulled in silently.
    void setRange(std::int32_t min, std::int32_t max);

    // A tracking tip that shows the value while dragging; null formatter means plain decimal.
    void attachToolTip(TrackToolTip* tip, TrackValueFormatter formatter);
    std::wstring tooltipText() const;

    std::int32_t value() const { return value_; }
    std::int32_t minimum() const { return minimum_; }
    std::int32_t maximum() const { return maximum_; }
    std::int32_t thumbPos() const { return thumbPos_; }
    bool isTracking() const { return tracking_; }

    ImageTrackBarListener* listener = nullptr;  // not owned
    bool threeSlice = false;                     // the track stretched in slices around the thumb

protected:
    // Draws the track; width and height are the client size.
    virtual void drawTrack(HDC dc, int width, int height);

    TrackGeometry geometry() const;
    bool hasPictures() const;
    void repaint(bool erase);

    std::unique_ptr<AlphaImage> thumbImage;
    std::unique_ptr<AlphaImage> trackImage;
    std::unique_ptr<AlphaImage> fillImage;

private:
    void paint(HDC dc, int width, int height);
    void beginTrack(int x);
    void dragTo(int x);
    void endTrack(int x);
    void abandonTrack();
    void notifyChanged();

    std::int32_t thumbPos_ = 0;
    std::int32_t minimum_ = 0;
    std::int32_t maximum_ = 100;
    std::int32_t value_ = 0;
    bool tracking_ = false;
    TrackToolTip* toolTip_ = nullptr;  // not owned
    TrackValueFormatter formatter_ = nullptr;
};

}  // namespace tavrin
