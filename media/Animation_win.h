#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "media/AlphaImage_win.h"
#include "ui/Window_win.h"

namespace tavrin {

// The start-up picture laid over the middle of the empty picture area: blank at first, the
// picture after one timer period; the second period stops the timer and the picture stays.
//
// Create with new; the window owns the object. Destroying the window ends it.
class Animation : public Window {
public:
    static constexpr int kWidth = 280;
    static constexpr int kHeight = 73;
    static constexpr UINT kPeriodMs = 100;

    // A child of `parent` at (x, y), showing skin picture 285.
    Animation(HWND parent, int x, int y);
    // The same with another picture.
    Animation(HWND parent, int x, int y, std::unique_ptr<AlphaImage> picture);

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Runs the sequence from the start: blank, then the picture after one period.
    void start();
    std::int32_t frameCounter() const { return frameCounter_; }

private:
    static constexpr UINT_PTR kTimerId = 0;
    // The timer events after which the sequence is over.
    static constexpr std::int32_t kFrames = 2;

    std::unique_ptr<AlphaImage> picture_;
    std::int32_t frameCounter_ = 0;
};

// Where the animation sits, centred in a player window of `width` x `height` (its window
// rectangle); the halves truncate toward zero, so a narrow player gives a negative position.
POINT animationPosition(int width, int height);

// Creates the animation centred over `playerWindow` and starts it. The window is owned by the
// player's window; destroy it to end the animation.
Animation* showAnimationCentred(HWND playerWindow);

}  // namespace tavrin
