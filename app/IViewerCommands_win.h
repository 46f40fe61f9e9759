#pragma once

#include <windows.h>

namespace tavrin {

// The main window's commands that its panels trigger: the control panel's navigation buttons and
// the open button of the volume and brightness panel. Tests implement it to watch the panels.
class IViewerCommands {
public:
    // The main window: parent of the panels and owner of their message boxes.
    virtual HWND viewerWindow() = 0;
    // Opens the next (forward) or previous recording of the list.
    virtual void stepRecording(bool forward) = 0;
    // Opens the first recording of the next (forward) or previous calendar day.
    virtual void stepDate(bool forward) = 0;
    // The open-file dialog for a recording, then opening what was chosen.
    virtual void showOpenDialog() = 0;

protected:
    ~IViewerCommands() = default;
};

}  // namespace tavrin
