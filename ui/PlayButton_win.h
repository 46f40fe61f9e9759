#pragma once

#include <windows.h>

#include <memory>

#include "ui/ImageButton_win.h"

namespace tavrin {

// The play/pause button: an ImageButton with a second set of looks (the pause looks) that it
// swaps in while the player plays.
class PlayButton : public ImageButton {
public:
    PlayButton(HWND parent, int x, int y, int width, int height);

    // The pause looks from the "IMAGE" resources (normal, pressed, disabled).
    void setAltImages();
    // The same with pictures made elsewhere.
    void setAltPictures(std::unique_ptr<AlphaImage> normal, std::unique_ptr<AlphaImage> pressed,
                        std::unique_ptr<AlphaImage> disabled);

    // True shows the pause looks. Only a change of state swaps the looks and repaints.
    void setPlaying(bool playing);
    bool isPlaying() const { return playing_; }

    static constexpr int kPauseNormalId = 10034;
    static constexpr int kPausePressedId = 10035;
    static constexpr int kPauseDisabledId = 10033;

private:
    bool playing_ = false;
    std::unique_ptr<AlphaImage> altNormalImage;
    std::unique_ptr<AlphaImage> altPressedImage;
    std::unique_ptr<AlphaImage> altDisabledImage;
};

}  // namespace tavrin
