#pragma once

namespace tavrin {

class ImageButton;

// What an image button tells the panel that owns it. The panel compares the pointer with its own
// buttons to tell which one spoke; an operation it does not care about stays empty.
class ImageButtonListener {
public:
    // Released inside the button with the mouse, or with Enter.
    virtual void onButtonClicked(ImageButton* button) = 0;
    // Went down, and again every 100 ms while it is held.
    virtual void onButtonPressed(ImageButton* button) = 0;

protected:
    ~ImageButtonListener() = default;
};

}  // namespace tavrin
