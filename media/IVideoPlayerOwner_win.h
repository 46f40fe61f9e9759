#pragma once

#include <windows.h>

namespace tavrin {

// What the video player needs of the window that holds it. The main window implements it; tests
// implement it to watch the player.
class IVideoPlayerOwner {
public:
    // The parent of the player's window and the owner of the player's message boxes.
    virtual HWND ownerWindow() = 0;
    // The panels follow the player's state and current frame.
    virtual void refreshControls() = 0;
    // Opens the neighbouring recording the way a user's choice does, which starts its playback.
    virtual void stepRecording(bool forward) = 0;
    // The folder of the open recording has gone: close it and reset every view.
    virtual void onFolderGone() = 0;
    // Around the reading of an archive: the user cannot start anything else meanwhile.
    virtual void enterBusy() = 0;
    virtual void leaveBusy() = 0;
    // The G-sensor chart drops its curve; the information panel repaints.
    virtual void discardPlot() = 0;
    virtual void repaintInformation() = 0;

protected:
    ~IVideoPlayerOwner() = default;
};

}  // namespace tavrin
