#pragma once

// A running copy of the viewer as the end-to-end tests see it: its main window, the controls of
// its panels found by where they lie, its message boxes, and generated memory cards to open.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "recording/Platform.h"
#include "tests/support/TestFolder.h"
#include "tools/cardgen/RecordingWriter.h"
#include "tools/drive/ViewerDriver_win.h"

namespace tavrin::e2e {

// Generous limits: the viewer runs under Wine on two shared cores, often beside other builds.
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kDialogTimeoutMs = 20000;
constexpr DWORD kPlaybackTimeoutMs = 15000;

// "/a/b" as Wine sees it from Windows: "Z:\a\b".
std::wstring hostPathToWine(const char* hostPath);

// Polls `done` every 20 ms; whether it held within `timeoutMs`.
bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs);

// The buttons of the control panel under the picture.
enum class ConsoleButton { Play, Stop, PreviousDate, NextDate, Previous, Next };

// A region of the main window's client area, for comparing parts of pictures.
struct Region {
    int x, y, width, height;
};
// Whether any pixel of `region` differs between the two pictures.
bool regionChanged(const drive::ScreenPicture& a, const drive::ScreenPicture& b, Region region);

class Viewer {
public:
    // Starts the built viewer and waits for its main window. Fails the test (by exception) when
    // no window comes.
    Viewer();
    // Closes the viewer as a user does, confirming the question, so it cleans up after itself
    // (its temporary sound file); it is ended by force only when it does not go.
    ~Viewer();
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    HWND main() const { return main_; }
    drive::ViewerProcess& process() { return *process_; }
    std::wstring title() const { return drive::windowText(main_); }
    bool waitForTitle(const std::wstring& expected, DWORD timeoutMs = kDialogTimeoutMs) const;
    SIZE clientSize() const;

    // The child windows, found at points inside each.
    HWND player() const;
    HWND consolePanel() const;
    HWND button(ConsoleButton which) const;
    HWND positionSlider() const;
    bool enabled(ConsoleButton which) const { return IsWindowEnabled(button(which)) != FALSE; }
    void click(ConsoleButton which);

    // Regions of the client area.
    Region infoRegion() const;
    Region chartRegion() const;
    Region playerRegion() const;
    Region sliderRegion() const;
    drive::ScreenPicture picture() const { return drive::capture(main_, true); }

    // Chooses File > Open and confirms `path` in the dialog; a failure says what stood in the way.
    testing::AssertionResult openThroughMenu(const std::wstring& path);
    // The same through the open button of the panel beside the picture.
    testing::AssertionResult openThroughPanel(const std::wstring& path);

    // The panel with the volume and brightness sliders: a click at a point of it (panel
    // coordinates), and the sliders' ends.
    void clickConfigPanel(POINT panelPoint);
    void setVolume(bool loudest) { clickConfigPanel({loudest ? 190 : 40, 30}); }
    void setBrightness(bool brightest) { clickConfigPanel({brightest ? 190 : 40, 64}); }
    void clickStandardVolume() { clickConfigPanel({14 + 8, 22 + 7}); }
    void clickStandardBrightness() { clickConfigPanel({14 + 8, 56 + 8}); }
    // The viewer's message box with this caption, or null after `timeoutMs`.
    HWND messageBox(const wchar_t* caption, DWORD timeoutMs = kDialogTimeoutMs) const;
    // Answers the box with `button` and waits for it to go; its text.
    std::wstring answer(HWND box, int button) const;
    // Whether a message box with this caption shows up within `timeoutMs` (a short look).
    bool anyMessageBox(const wchar_t* caption, DWORD timeoutMs) const;

    // Waits until the picture of `region` changes from `before`; whether it did.
    bool waitForChange(const drive::ScreenPicture& before, Region region,
                       DWORD timeoutMs = kPlaybackTimeoutMs) const;

private:
    // Asks for the open-file dialog with `ask` and confirms `path` in it; a failure says what
    // stood in the way.
    testing::AssertionResult openThrough(const std::function<void()>& ask,
                                         const std::wstring& path);

    std::unique_ptr<drive::ViewerProcess> process_;
    HWND main_ = nullptr;
};

// Checks the viewer shows nothing loaded: its bare title, every button of the control panel off.
void expectEmpty(const Viewer& viewer);

// A generated memory card in a folder of its own: five recordings over three days (two, two,
// one), small pictures, long enough that none ends during a test. Damaged recordings, one of
// each kind asked for, follow on the last day.
class Card {
public:
    explicit Card(int recordings = 5, int frames = 400,
                  const std::vector<cardgen::Damage>& damage = {});
    const Path& folder() const { return folder_.path(); }
    // The recordings' paths in the order the viewer lists them (by start time).
    const std::vector<Path>& recordings() const { return recordings_; }
    Path file(const std::wstring& name) const { return folder_.file(name); }
    // Lists the folder again, as the viewer would, after files were added.
    void relist();

private:
    test::TestFolder folder_;
    std::vector<Path> recordings_;
};

}  // namespace tavrin::e2e
