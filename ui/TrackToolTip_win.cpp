#include "ui/TrackToolTip_win.h"

#include <commctrl.h>

#include "ui/AppInstance_win.h"

namespace tavrin {
namespace {

constexpr UINT kHoverFlags = TTF_IDISHWND | TTF_SUBCLASS;
constexpr UINT kTrackingFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRACK;

// The record without its trailing reserved field. On 64-bit Windows that is TTTOOLINFOW_V2_SIZE
// rather than the 44 bytes of the 32-bit layout; the full size would ask comctl32 for a version
// the program does not request.
TTTOOLINFOW toolRecord(HWND toolTip, UINT flags, HWND window, const std::wstring* text) {
    TTTOOLINFOW record = {};
    record.cbSize = TTTOOLINFOW_V2_SIZE;
    record.uFlags = flags;
    record.hwnd = GetParent(toolTip);
    record.uId = reinterpret_cast<UINT_PTR>(window);
    record.hinst = appInstance;
    // The control copies the text; it never writes through this pointer.
    if (text) record.lpszText = const_cast<LPWSTR>(text->c_str());
    return record;
}

}  // namespace

TrackToolTip::TrackToolTip(HWND parentHandle) {
    CreateParams params;
    params.className = TOOLTIPS_CLASSW;
    params.style = WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX;
    params.x = params.y = params.width = params.height = CW_USEDEFAULT;
    params.parent = parentHandle;
    params.instance = appInstance;
    create(params);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

bool TrackToolTip::addTool(HWND window, const std::wstring& text) {
    TTTOOLINFOW record = toolRecord(hwnd, kHoverFlags, window, &text);
    GetWindowRect(window, &record.rect);
    return SendMessageW(hwnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&record)) != 0;
}

bool TrackToolTip::addTrackingTool(HWND window, const std::wstring& text) {
    TTTOOLINFOW record = toolRecord(hwnd, kTrackingFlags, window, &text);
    return SendMessageW(hwnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&record)) != 0;
}

void TrackToolTip::activateTracking(HWND window, const std::wstring& text) {
    TTTOOLINFOW record = toolRecord(hwnd, kTrackingFlags, window, &text);
    SendMessageW(hwnd, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&record));
}

void TrackToolTip::deactivateTracking(HWND window) {
    TTTOOLINFOW record = toolRecord(hwnd, kTrackingFlags, window, nullptr);
    SendMessageW(hwnd, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&record));
}

void TrackToolTip::updateText(HWND window, const std::wstring& text) {
    TTTOOLINFOW record = toolRecord(hwnd, kTrackingFlags, window, &text);
    SendMessageW(hwnd, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&record));
}

}  // namespace tavrin
