#pragma once

#include <windows.h>

#include <memory>

#include "media/AlphaImage_win.h"
#include "ui/ImageButtonListener.h"
#include "ui/Window_win.h"

namespace tavrin {

// A push button drawn from skin pictures: a normal look, and optionally a pressed and a disabled
// one. It holds the mouse capture while pressed, repeats onButtonPressed every 100 ms while held,
// and clicks on a release inside it or on Enter. Create it with new; its window owns it.
class ImageButton : public Window {
public:
    ImageButton(HWND parent, int x, int y, int width, int height);

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Loads the looks from the "IMAGE" resources; 0 means no such look (the normal one is always
    // asked for). A picture missing from the resources leaves that look empty, and the button
    // then shows the button face.
    void setImages(int normalId, int pressedId, int disabledId);
    // The same with pictures made elsewhere; null for a look the button does not have.
    void setPictures(std::unique_ptr<AlphaImage> normal, std::unique_ptr<AlphaImage> pressed,
                     std::unique_ptr<AlphaImage> disabled);

    // Pressed: from the press until the mouse capture goes.
    bool isPressed() const { return GetCapture() == hwnd; }

    ImageButtonListener* listener = nullptr;  // not owned
    bool framed = true;                       // a 3-D edge, and the picture shifts when pressed
    HCURSOR cursor = nullptr;                 // shown over the button; not owned

protected:
    // The looks PlayButton trades for its pause looks.
    std::unique_ptr<AlphaImage> normalImage;
    std::unique_ptr<AlphaImage> pressedImage;
    std::unique_ptr<AlphaImage> disabledImage;

    void repaintNow();

private:
    void press();
    void releaseOwnCapture();
    void paint(HDC dc);
    void notifyPressed();
    void notifyClicked();
};

}  // namespace tavrin
