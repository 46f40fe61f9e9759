#include "app/MainWindow_win.h"

#include <algorithm>
#include <cstdio>

#include "app/AppGlobals_win.h"
#include "app/ConfigPanel_win.h"
#include "app/ConsolePanel_win.h"
#include "app/InfoPanel_win.h"
#include "app/LineChart_win.h"
#include "app/MainLayout.h"
#include "media/Animation_win.h"
#include "media/VideoPlayer_win.h"
#include "recording/ArchiveListing.h"
#include "settings/SettingsCommand_win.h"
#include "ui/AboutDialog_win.h"
#include "ui/AppInstance_win.h"
#include "ui/DrawingContext_win.h"
#include "ui/Exception.h"
#include "ui/HelpPage_win.h"
#include "ui/Messages.h"
#include "ui/RecordingFileChooser_win.h"

namespace tavrin {
namespace {

constexpr wchar_t kClassName[] = L"MainWindow";
constexpr int kMenuResource = 101;
constexpr int kIconResource = 294;
constexpr int kSkinTop = 218;
constexpr int kSkinFill = 219;
constexpr int kSkinBottom = 220;
constexpr int kSkinLeft = 284;

constexpr int kCommandOpen = 40004;
constexpr int kCommandExit = 40005;
constexpr int kCommandUnitSettings = 40012;
constexpr int kCommandDateTime = 40015;
constexpr int kCommandHelp = 40019;
constexpr int kCommandAbout = 40020;

constexpr unsigned kWarningCaption = 5005;
constexpr unsigned kConfirmCaption = 5013;
constexpr unsigned kNoNextDateText = 5065;
constexpr unsigned kNoPreviousDateText = 5066;
constexpr unsigned kFolderGoneText = 5078;
constexpr unsigned kQuitQuestion = 5059;
constexpr unsigned kHelpFailedText = 5058;
constexpr unsigned kManyFilesQuestion = 5519;
constexpr unsigned kUnreadableText = 5510;
// Above this many recordings in a folder, listing them takes long enough to ask first.
constexpr std::int32_t kManyRecordings = 1000;
// The three top-level menus greyed while a recording loads.
constexpr int kTopLevelMenus = 3;

ATOM mainWindowClass = 0;

Path programFolder() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    Path folder = parentFolderOf(module);
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return folder;
}

void repaintNow(HWND window, bool erase) {
    InvalidateRect(window, nullptr, erase ? TRUE : FALSE);
    UpdateWindow(window);
}

void enableAndRepaint(HWND window) {
    if (IsWindowEnabled(window)) return;
    EnableWindow(window, TRUE);
    repaintNow(window, true);
}

}  // namespace

ATOM MainWindow::registerClass() {
    if (mainWindowClass != 0) return mainWindowClass;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconW(appInstance, MAKEINTRESOURCEW(kIconResource));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = buttonFaceBrush();
    windowClass.lpszClassName = kClassName;
    const ATOM atom = RegisterClassExW(&windowClass);
    if (atom == 0) throw describeError(GetLastError());
    mainWindowClass = atom;
    return atom;
}

MainWindow::MainWindow() {
    currentPath_ = programFolder();
    cardPath_ = currentPath_;
    const ATOM atom = registerClass();

    menu_ = LoadMenuW(appInstance, MAKEINTRESOURCEW(kMenuResource));
    const OuterSize size = mainWindowSize(osVersionInfo.dwMajorVersion);
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    CreateParams params;
    params.exStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;
    params.className = MAKEINTATOM(atom);
    params.title = appName.c_str();
    params.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    params.x = (desktop.right - size.width) / 2;
    params.y = (desktop.bottom - size.height) / 2;
    params.width = size.width;
    params.height = size.height;
    params.menu = menu_;
    params.instance = appInstance;
    try {
        create(params);
    } catch (...) {
        if (menu_) DestroyMenu(menu_);
        throw;
    }

    skinTop_ = std::make_unique<AlphaImage>(kSkinTop);
    skinFill_ = std::make_unique<AlphaImage>(kSkinFill);
    skinBottom_ = std::make_unique<AlphaImage>(kSkinBottom);
    skinLeft_ = std::make_unique<AlphaImage>(kSkinLeft);

    player_ = new VideoPlayer(*this);
    configPanel_ = new ConfigPanel(*this, *player_);
    consolePanel_ = new ConsolePanel(*this, *player_);
    infoPanel_ = new InfoPanel(hwnd, *player_);
    lineChart_ = new LineChart(hwnd, *player_);

    consolePanel_->refresh();
    if (GetFocus() == nullptr) SetFocus(hwnd);
    showChartStrip();
}

MainWindow::~MainWindow() = default;

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    wchar_t logLine[256];
    std::swprintf(logLine, 256, L"message:%d\n", static_cast<int>(message));
    OutputDebugStringW(logLine);

    switch (message) {
    case WM_DESTROY:
        if (!busy_) PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        layout(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_ACTIVATE:
    case WM_MOUSEACTIVATE:
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CLOSE:
        // A window of ours that is disabled has a box or dialog of its own up, shown by a call
        // still running on it (the many-files question, a warning, a settings dialog);
        // destroying it underneath would return that call into a window that is gone. Closing
        // is refused then, as while loading.
        if (!busy_ && IsWindowEnabled(hwnd)) confirmClose();
        return 0;
    case WM_ERASEBKGND:
        paintSkin(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = kMinimumTrackWidth;
        info->ptMinTrackSize.y = kMinimumTrackHeight;
        return 0;
    }
    case WM_COMMAND:
        if (!busy_ && lParam == 0) command(LOWORD(wParam));
        return 0;
    case WM_ENTERIDLE:
        // A menu or modal loop opened while a recording loads is cancelled at once.
        if (busy_) {
            PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
            return 0;
        }
        return Window::handleMessage(message, wParam, lParam);
    default:
        return Window::handleMessage(message, wParam, lParam);
    }
}

void MainWindow::command(int id) {
    if (id != kCommandExit) pauseIfPlaying();
    switch (id) {
    case kCommandOpen:
        showOpenDialog();
        break;
    case kCommandExit:
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        break;
    case kCommandUnitSettings:
    case kCommandDateTime:
        runSettingsCommand(hwnd, id, cardPath_);
        break;
    case kCommandHelp:
        showHelpPage();
        break;
    case kCommandAbout:
        showAbout();
        break;
    default:
        break;
    }
}

// --- Layout and skin ---------------------------------------------------------------------

void MainWindow::layout(int width, int height) {
    if (!lineChart_) return;  // sizing messages of the creation itself come before the children
    const MainLayout place = layoutMainWindow(width, height, IsWindowEnabled(lineChart_->hwnd));
    auto move = [](HWND window, const LayoutRect& r) {
        MoveWindow(window, r.x, r.y, r.width, r.height, TRUE);
    };
    if (place.chartShown) move(lineChart_->hwnd, place.chart);
    move(consolePanel_->hwnd, place.console);
    move(configPanel_->hwnd, place.config);
    move(infoPanel_->hwnd, place.info);
    move(player_->hwnd, place.player);
    if (animation_) move(animation_->hwnd, place.animation);
}

void MainWindow::paintSkin(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (!skinTop_->image() || !skinFill_->image() || !skinBottom_->image() || !skinLeft_->image()) {
        FillRect(dc, &client, buttonFaceBrush());
        return;
    }
    const int x = client.right - kRightColumnWidth;
    skinTop_->drawAt(dc, x, 180);
    const int bottom = client.bottom - skinBottom_->height() - 295;
    if (skinFill_->height() > 0) {
        for (int y = 180 + skinTop_->height(); y < bottom;) {
            const int rows = std::min(skinFill_->height(), bottom - y);
            skinFill_->draw(dc, x, y, kRightColumnWidth, rows, 0, kRightColumnWidth, rows);
            y += rows;
        }
        skinBottom_->drawAt(dc, x, bottom);
    }
    skinLeft_->drawScaled(dc, 0, 0, kLeftStripWidth, client.bottom - 155);
}

void MainWindow::repaintSkin() {
    WindowDc dc(hwnd);
    if (dc.get()) paintSkin(dc.get());
}

void MainWindow::showChartStrip() {
    if (!IsWindowEnabled(lineChart_->hwnd)) enableAndRepaint(lineChart_->hwnd);
    if (!IsWindowVisible(lineChart_->hwnd)) {
        ShowWindow(lineChart_->hwnd, SW_SHOW);
        UpdateWindow(lineChart_->hwnd);
    }
    enableAndRepaint(consolePanel_->hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    MoveWindow(lineChart_->hwnd, client.left, client.bottom - kChartHeight,
               client.right - client.left, kChartHeight, TRUE);
    configPanel_->enableVolume(true);
    consolePanel_->enableAll(true);
}

void MainWindow::showStartupAnimation() {
    if (animation_) return;
    animation_ = showAnimationCentred(player_->hwnd);
}

// --- What the player and the panels call --------------------------------------------------

void MainWindow::refreshControls() {
    consolePanel_->refresh();
    if (GetFocus() == nullptr) SetFocus(hwnd);
    lineChart_->drawOnWindow();
    repaintNow(infoPanel_->hwnd, false);
}

void MainWindow::enterBusy() {
    busy_ = true;
    configPanel_->enableAll(false);
    for (int position = 0; position < kTopLevelMenus; ++position)
        EnableMenuItem(menu_, position, MF_BYPOSITION | MF_GRAYED);
    DrawMenuBar(hwnd);
}

void MainWindow::leaveBusy() {
    busy_ = false;
    configPanel_->enableAll(true);
    for (int position = 0; position < kTopLevelMenus; ++position)
        EnableMenuItem(menu_, position, MF_BYPOSITION | MF_ENABLED);
    DrawMenuBar(hwnd);
}

void MainWindow::discardPlot() { lineChart_->discardPlot(); }

void MainWindow::repaintInformation() { repaintNow(infoPanel_->hwnd, true); }

void MainWindow::onFolderGone() {
    player_->close();
    repaintNow(player_->hwnd, true);
    refreshControls();
    lineChart_->discardPlot();
    showChartStrip();
    updateTitle();
    repaintNow(hwnd, true);
}

void MainWindow::updateTitle() {
    if (player_->frameInfo()) {
        wchar_t title[1024];
        std::swprintf(title, 1024, L"%ls - %ls", currentPath_.c_str(), appName.c_str());
        SetWindowTextW(hwnd, title);
    } else {
        SetWindowTextW(hwnd, appName.c_str());
    }
    repaintNow(infoPanel_->hwnd, true);
    repaintNow(consolePanel_->hwnd, true);
    repaintSkin();
}

// --- Opening and moving between recordings ------------------------------------------------

void MainWindow::pauseIfPlaying() {
    if (player_->state() == VideoPlayer::kPlaying) player_->pause();
}

void MainWindow::startPlayback() {
    // An opening that found the folder gone has closed the recording again and said so; playing
    // nothing would find the folder gone a second time and say it twice.
    if (player_->state() == VideoPlayer::kNone) return;
    if (player_->state() == VideoPlayer::kPaused)
        player_->resume();
    else
        player_->playFrom(player_->currentFrame());
}

void MainWindow::showOpenDialog() {
    pauseIfPlaying();
    wchar_t chosen[MAX_PATH] = {};
    if (chooseRecordingFile(chosen, hwnd, currentPath_.c_str())) openRecordingFile(chosen, false);
}

void MainWindow::openRecordingFile(const Path& path, bool backward) {
    pauseIfPlaying();
    currentPath_ = path;
    try {
        if (animation_) {
            DestroyWindow(animation_->hwnd);
            animation_ = nullptr;
        }
        showChartStrip();
        consolePanel_->setStepTips(2);
        player_->close();
        repaintNow(player_->hwnd, true);
        refreshControls();
        repaintNow(infoPanel_->hwnd, true);
        lineChart_->discardPlot();
        consolePanel_->resetPosition();
        player_->showLoadingProgress(0);

        std::int32_t index = 0;
        if (isArchiveFileName(currentPath_)) {
            index = player_->loadFolderList(currentPath_);
            if (player_->recordingCount() > kManyRecordings &&
                MessageBoxW(hwnd, loadMessage(kManyFilesQuestion).c_str(),
                            loadMessage(kWarningCaption).c_str(),
                            MB_ICONWARNING | MB_OKCANCEL) == IDCANCEL) {
                // The recording open before is closed already: the viewer is left as empty as
                // at start-up, without the list just read or the loading text.
                player_->forgetRecordings();
                catchUpAfterFailure();
                return;
            }
        } else {
            index = player_->setSingleRecording(currentPath_);
        }

        // An entry that cannot be read is skipped in the direction of travel. A loop rather than
        // a step into the neighbour and back here again: a card of many unreadable files must
        // not run the stack out, and nothing starts playing once the skipping ran off the end.
        while (!player_->openRecording(index)) {
            const std::int32_t last = player_->recordingCount() - 1;
            if (player_->recordingCount() == 0 || (backward ? index <= 0 : index >= last))
                throw VideoArchiveException(loadMessage(kUnreadableText));
            index += backward ? -1 : 1;
            consolePanel_->resetPosition();
            currentPath_ = player_->recordingPathAt(index);
        }
        lineChart_->discardPlot();
        updateTitle();
        startPlayback();
    } catch (const Exception& failure) {
        catchUpAfterFailure();
        warn(failure.message());
    }
}

void MainWindow::catchUpAfterFailure() {
    repaintNow(player_->hwnd, true);
    showChartStrip();
    lineChart_->discardPlot();
    updateTitle();
}

void MainWindow::stepRecording(bool forward) { stepRecordingFrom(!forward); }

void MainWindow::stepRecordingFrom(bool backward) {
    pauseIfPlaying();
    try {
        const std::int32_t index = player_->recordingIndex() + (backward ? -1 : 1);
        if (index < 0 || index >= player_->recordingCount()) throw Exception();
        consolePanel_->resetPosition();
        openRecordingFile(player_->recordingPathAt(index), backward);
    } catch (const DataMissingException&) {
        onFolderGone();
        warn(loadMessage(kFolderGoneText));
    } catch (const Exception&) {
        warn(loadMessage(backward ? kNoPreviousDateText : kNoNextDateText));
    }
}

void MainWindow::stepDate(bool forward) {
    try {
        player_->openAdjacentDate(!forward);
        currentPath_ = player_->recordingPath();
        updateTitle();
        startPlayback();
    } catch (const Exception& failure) {
        catchUpAfterFailure();
        // The player has already warned when there is no such date (a failure without text); a
        // recording of that date that could not be read has not been reported yet.
        if (!failure.message().empty()) warn(failure.message());
    }
}

// --- Closing, help and version ------------------------------------------------------------

void MainWindow::confirmClose() {
    pauseIfPlaying();
    if (player_->frameInfo() &&
        MessageBoxW(hwnd, loadMessage(kQuitQuestion).c_str(), loadMessage(kConfirmCaption).c_str(),
                    MB_ICONQUESTION | MB_OKCANCEL) != IDOK) {
        return;
    }
    DestroyWindow(hwnd);
}

void MainWindow::showHelpPage() {
    try {
        showHelp();
    } catch (const Exception&) {
        warn(loadMessage(kHelpFailedText));
    }
}

void MainWindow::showAbout() {
    AboutDialog dialog;
    dialog.showModal(hwnd);
}

void MainWindow::warn(const std::wstring& text) {
    MessageBoxW(hwnd, text.c_str(), loadMessage(kWarningCaption).c_str(), MB_ICONWARNING);
}

}  // namespace tavrin
