#pragma once

#include <windows.h>

#include "media/IVideoPlayerOwner_win.h"

namespace tavrin::bench {

// A shown top-level window holding the player, standing in for the main window with panels that
// do nothing. Destroying it destroys the player's window, which deletes the player; the host
// outlives the player, so the player may still call it while it goes.
class PlayerHost final : public IVideoPlayerOwner {
public:
    // Throws std::runtime_error when the window cannot be created.
    PlayerHost(int clientWidth, int clientHeight);
    ~PlayerHost();
    PlayerHost(const PlayerHost&) = delete;
    PlayerHost& operator=(const PlayerHost&) = delete;

    HWND ownerWindow() override { return window_; }
    void refreshControls() override {}
    void stepRecording(bool) override { ++stepRequests_; }
    void onFolderGone() override { folderGone_ = true; }
    void enterBusy() override {}
    void leaveBusy() override {}
    void discardPlot() override {}
    void repaintInformation() override {}

    // What the player asked for that a benchmark run should never need.
    int stepRequests() const { return stepRequests_; }
    bool folderGone() const { return folderGone_; }

private:
    HWND window_ = nullptr;
    int stepRequests_ = 0;
    bool folderGone_ = false;
};

}  // namespace tavrin::bench
