#include "ui/PlayButton_win.h"

#include "ui/ImageButtonSkin_win.h"

namespace tavrin {

PlayButton::PlayButton(HWND parent, int x, int y, int width, int height)
    : ImageButton(parent, x, y, width, height) {}

void PlayButton::setAltImages() {
    setAltPictures(loadSkinPicture(kPauseNormalId), loadSkinPicture(kPausePressedId),
                   loadSkinPicture(kPauseDisabledId));
}

void PlayButton::setAltPictures(std::unique_ptr<AlphaImage> normal,
                                std::unique_ptr<AlphaImage> pressed,
                                std::unique_ptr<AlphaImage> disabled) {
    if (playing_) {
        // The pause looks are the ones on show.
        setPictures(std::move(normal), std::move(pressed), std::move(disabled));
        return;
    }
    altNormalImage = std::move(normal);
    altPressedImage = std::move(pressed);
    altDisabledImage = std::move(disabled);
}

void PlayButton::setPlaying(bool playing) {
    if (playing == playing_) return;
    normalImage.swap(altNormalImage);
    pressedImage.swap(altPressedImage);
    disabledImage.swap(altDisabledImage);
    playing_ = playing;
    repaintNow();
}

}  // namespace tavrin
