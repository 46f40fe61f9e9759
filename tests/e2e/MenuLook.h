#pragma once

// Reading a menu off the screen. Another process's menu cannot be asked for its texts (Wine
// answers nothing across processes), so a window of this process carries a menu made from the
// texts a test expects, of the same size and styles as the window under test, and the system
// draws both with the same font and code: where the texts and their order agree, the pictures
// agree to the pixel. The same window tells where each title and entry lies, for clicks.

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "tools/drive/ViewerDriver_win.h"

namespace tavrin::e2e {

struct MenuEntry {
    UINT command;         // 0 for a separator
    const wchar_t* text;  // null for a separator
};

struct MenuColumn {
    const wchar_t* title;  // with "&" before its mnemonic, which must be a letter
    std::vector<MenuEntry> entries;
};

// The letter after the "&" of `text`, upper case: the key that chooses it with Alt or in a menu.
UINT mnemonicKey(const wchar_t* text);

// The pictures and places of a menu bar and of each of its columns opened from the keyboard.
struct MenuLook {
    RECT bar = {};                              // in the window, from its top left corner
    drive::ScreenPicture barPicture;            // nothing open
    std::vector<RECT> titles;                   // in the window, from its top left corner
    std::vector<drive::ScreenPicture> columns;  // each column as its mnemonic opens it
    std::vector<std::vector<RECT>> entries;     // in the column's window, from its top left

    // Draws `menus` in a window shaped like `like` (size and styles), which is gone again when
    // this returns. Throws std::runtime_error when a column does not open.
    static MenuLook of(HWND like, const std::vector<MenuColumn>& menus);
};

// Closes the column `top` has open (its process `processId`) and leaves the menu bar, from the
// keyboard, as a user does.
void closeMenu(HWND top, DWORD processId);
// `window` as the screen shows it once it has stopped changing.
drive::ScreenPicture settledPicture(HWND window);
// The part `rect` of a picture of a whole window.
drive::ScreenPicture crop(const drive::ScreenPicture& whole, RECT rect);
// The middle of `rect` (from `window`'s top left corner) on the screen.
POINT screenMiddle(HWND window, RECT rect);
// Whether two pictures are the same to the pixel.
::testing::AssertionResult samePicture(const drive::ScreenPicture& actual,
                                       const drive::ScreenPicture& expected);

}  // namespace tavrin::e2e
