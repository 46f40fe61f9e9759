#pragma once

namespace tavrin {

class ImageTrackBar;

// What an image slider tells the panel that owns it. The panel compares the pointer with its own
// sliders to tell which one spoke and reads the value from the slider.
class ImageTrackBarListener {
public:
    // The value may have changed: on button-down, every 100 ms while dragging, on release, and
    // when the owner sets a value with notification.
    virtual void onTrackBarChanged(ImageTrackBar* bar) = 0;
    // The user pressed the mouse button on the slider.
    virtual void onTrackBarBeginTrack(ImageTrackBar* bar) = 0;
    // The user released it (or the drag was cut off).
    virtual void onTrackBarEndTrack(ImageTrackBar* bar) = 0;

protected:
    ~ImageTrackBarListener() = default;
};

}  // namespace tavrin
