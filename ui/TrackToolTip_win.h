#pragma once

#include <windows.h>

#include <string>

#include "ui/Window_win.h"

namespace tavrin {

// The tooltip a panel gives its buttons and sliders: plain hover tips, and tracking tips that a
// slider moves itself. Created with new like every Window; it goes when its owner is destroyed.
// The tool operations report whether the control accepted the tool.
class TrackToolTip : public Window {
public:
    explicit TrackToolTip(HWND parentHandle);

    bool addTool(HWND window, const std::wstring& text);
    bool addTrackingTool(HWND window, const std::wstring& text);
    void activateTracking(HWND window, const std::wstring& text);
    void deactivateTracking(HWND window);
    void updateText(HWND window, const std::wstring& text);
};

}  // namespace tavrin
