#pragma once

#include <windows.h>

#include "media/IVideoPlayerOwner_win.h"

namespace tavrin::bench {

// Which window the player is shown in.
enum class HostWindow {
    kBox,     // a 640 x 480 client holding a 640 x 480 player: the box the viewer fits pictures to
    kViewer,  // the main window's own frame, menu, default size and layout
    kMaximised,  // the same maximised
};

// A shown top-level window holding the player, standing in for the main window with panels that
// do nothing. Destroying it destroys the player's window, which deletes the player; the host
// outlives the player, so the player may still call it while it goes.
class PlayerHost final : public IVideoPlayerOwner {
public:
    // Throws std::runtime_error when the window cannot be created.
    explicit PlayerHost(HostWindow kind);
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

    // Gives the player the place the main window's layout gives it in this client area.
    void placePlayer(HWND player);

    // What the player asked for that a benchmark run should never need.
    int stepRequests() const { return stepRequests_; }
    bool folderGone() const { return folderGone_; }

private:
    HostWindow kind_;
    HWND window_ = nullptr;
    HMENU menu_ = nullptr;
    int stepRequests_ = 0;
    bool folderGone_ = false;
};

}  // namespace tavrin::bench
