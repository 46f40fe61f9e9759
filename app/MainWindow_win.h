#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/IViewerCommands_win.h"
#include "media/AlphaImage_win.h"
#include "media/IVideoPlayerOwner_win.h"
#include "recording/Platform.h"
#include "ui/Window_win.h"

namespace tavrin {

class Animation;
class ConfigPanel;
class ConsolePanel;
class InfoPanel;
class LineChart;
class VideoPlayer;

// The program's top-level window: it owns the player and the panels around it, paints the skin,
// carries the menu, turns commands into actions, opens recordings and moves between them, and
// reports what fails. Create with new; the window owns the object.
class MainWindow : public Window, public IVideoPlayerOwner, public IViewerCommands {
public:
    // Registers the class (once), creates the window and every child. Throws WindowException.
    MainWindow();
    ~MainWindow() override;

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // IVideoPlayerOwner
    HWND ownerWindow() override { return hwnd; }
    void refreshControls() override;
    void stepRecording(bool forward) override;
    void onFolderGone() override;
    void enterBusy() override;
    void leaveBusy() override;
    void discardPlot() override;
    void repaintInformation() override;

    // IViewerCommands
    HWND viewerWindow() override { return hwnd; }
    void stepDate(bool forward) override;
    void showOpenDialog() override;

    void openRecordingFile(const Path& path, bool backward);
    void updateTitle();
    void showChartStrip();
    void showStartupAnimation();

    bool busy() const { return busy_; }
    VideoPlayer& player() { return *player_; }
    const Path& currentPath() const { return currentPath_; }
    const Path& cardPath() const { return cardPath_; }
    Animation* animation() const { return animation_; }
    ConsolePanel& consolePanel() { return *consolePanel_; }
    ConfigPanel& configPanel() { return *configPanel_; }
    InfoPanel& infoPanel() { return *infoPanel_; }
    LineChart& lineChart() { return *lineChart_; }

private:
    static ATOM registerClass();
    void command(int id);
    void layout(int width, int height);
    void paintSkin(HDC dc);
    void repaintSkin();
    void confirmClose();
    void pauseIfPlaying();
    void startPlayback();
    void stepRecordingFrom(bool backward);
    // After a failed open or step: the views show what is (or is not) loaded now.
    void catchUpAfterFailure();
    void showHelpPage();
    void showAbout();
    void warn(const std::wstring& text);

    // Child windows: each belongs to its native window and goes with this one.
    VideoPlayer* player_ = nullptr;
    ConsolePanel* consolePanel_ = nullptr;
    ConfigPanel* configPanel_ = nullptr;
    InfoPanel* infoPanel_ = nullptr;
    LineChart* lineChart_ = nullptr;
    Animation* animation_ = nullptr;
    std::unique_ptr<AlphaImage> skinTop_;
    std::unique_ptr<AlphaImage> skinFill_;
    std::unique_ptr<AlphaImage> skinBottom_;
    std::unique_ptr<AlphaImage> skinLeft_;
    Path currentPath_;
    Path cardPath_;
    bool busy_ = false;
    HMENU menu_ = nullptr;
};

}  // namespace tavrin
