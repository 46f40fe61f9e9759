#include "tests/e2e/ViewerSession.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "app/MainLayout.h"
#include "recording/ArchiveListing.h"
#include "recording/TextEncoding.h"
#include "tools/cardgen/CardWriter.h"

namespace tavrin::e2e {
namespace {

// The control panel's layout: its top is this far above the client's bottom (the chart strip
// and the panel itself), and each button's centre lies at these panel coordinates.
constexpr int kConsoleTopFromBottom = 155;
constexpr int kRightColumnWidth = 209;
constexpr int kChartHeight = 90;

POINT buttonCentre(ConsoleButton which) {
    switch (which) {
    case ConsoleButton::Play: return {23 + 20, 11 + 20};
    case ConsoleButton::Stop: return {67 + 13, 18 + 13};
    case ConsoleButton::PreviousDate: return {107 + 15, 17 + 15};
    case ConsoleButton::NextDate: return {140 + 15, 17 + 15};
    case ConsoleButton::Previous: return {198 + 11, 22 + 11};
    case ConsoleButton::Next: return {220 + 11, 22 + 11};
    }
    return {0, 0};
}

}  // namespace

std::wstring hostPathToWine(const char* hostPath) {
    std::wstring path = fromUtf8(hostPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path.size() > 1 && path[1] == L':' ? path : L"Z:" + path;
}

bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

bool regionChanged(const drive::ScreenPicture& a, const drive::ScreenPicture& b, Region region) {
    if (a.width != b.width || a.height != b.height) return true;
    for (int y = region.y; y < region.y + region.height && y < a.height; ++y)
        for (int x = region.x; x < region.x + region.width && x < a.width; ++x)
            if (a.at(x, y) != b.at(x, y)) return true;
    return false;
}

Viewer::Viewer() {
    // The pointer away from the viewer: a window appearing under it would get a mouse move and
    // show tool tips the pictures do not expect.
    SetCursorPos(0, 0);
    process_ = std::make_unique<drive::ViewerProcess>(hostPathToWine(TAVRIN_VIEWER_PATH));
    main_ = process_->mainWindow(kStartTimeoutMs);
    if (!main_) throw std::runtime_error("the viewer's main window did not appear");
    // The start-up animation comes right after the window: wait for it, so every test starts
    // from the finished start-up.
    waitUntil([this] { return !drive::childWindows(player()).empty(); }, kStartTimeoutMs);
}

Viewer::~Viewer() {
    // A box a test left open is answered first: the viewer refuses to close under its own boxes.
    waitUntil([this] {
        if (process_->waitForExit(0)) return true;
        if (HWND box = messageBox(nullptr, 0)) {
            drive::pressDialogButton(box, IDOK);
            drive::waitForWindowGone(box, 2000);
        } else {
            PostMessageW(main_, WM_CLOSE, 0, 0);
        }
        return process_->waitForExit(500);
    }, kDialogTimeoutMs);
}

bool Viewer::waitForTitle(const std::wstring& expected, DWORD timeoutMs) const {
    return waitUntil([&] { return title() == expected; }, timeoutMs);
}

SIZE Viewer::clientSize() const {
    RECT client;
    GetClientRect(main_, &client);
    return {client.right, client.bottom};
}

HWND Viewer::player() const { return drive::windowAt(main_, {21 + 3, 3}); }

HWND Viewer::consolePanel() const {
    return GetParent(button(ConsoleButton::Play));
}

HWND Viewer::button(ConsoleButton which) const {
    const POINT centre = buttonCentre(which);
    return drive::windowAt(main_, {centre.x, clientSize().cy - kConsoleTopFromBottom + centre.y});
}

HWND Viewer::positionSlider() const {
    return drive::windowAt(main_, {249 + 20, clientSize().cy - kConsoleTopFromBottom + 26 + 15});
}

void Viewer::click(ConsoleButton which) {
    const POINT centre = buttonCentre(which);
    drive::click(main_, {centre.x, clientSize().cy - kConsoleTopFromBottom + centre.y});
}

Region Viewer::infoRegion() const {
    return {clientSize().cx - kRightColumnWidth, 0, kRightColumnWidth, 180};
}

Region Viewer::chartRegion() const {
    const SIZE client = clientSize();
    return {0, client.cy - kChartHeight, client.cx, kChartHeight};
}

Region Viewer::playerRegion() const {
    const RECT r = drive::rectIn(main_, player());
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Region Viewer::sliderRegion() const {
    const RECT r = drive::rectIn(main_, positionSlider());
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

testing::AssertionResult Viewer::openThroughMenu(const std::wstring& path) {
    return openThrough([this] { drive::chooseMenuCommand(main_, 40004); }, path);
}

testing::AssertionResult Viewer::openThroughPanel(const std::wstring& path) {
    return openThrough([this] { clickConfigPanel({57 + 51, 97 + 14}); }, path);
}

void Viewer::clickConfigPanel(POINT panelPoint) {
    const SIZE client = clientSize();
    const LayoutRect config = layoutMainWindow(client.cx, client.cy, true).config;
    drive::click(main_, {config.x + panelPoint.x, config.y + panelPoint.y});
}

testing::AssertionResult Viewer::openThrough(const std::function<void()>& ask,
                                             const std::wstring& path) {
    ask();
    const std::string failure =
        drive::openThroughDialog(process_->id(), path, kDialogTimeoutMs, ask);
    if (failure.empty()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << failure;
}

HWND Viewer::messageBox(const wchar_t* caption, DWORD timeoutMs) const {
    return drive::waitForWindow(process_->id(), L"#32770", caption, timeoutMs);
}

std::wstring Viewer::answer(HWND box, int button) const {
    const std::wstring text = drive::messageBoxText(box);
    drive::pressDialogButton(box, button);
    if (!drive::waitForWindowGone(box, kDialogTimeoutMs))
        throw std::runtime_error("a message box stayed after it was answered");
    return text;
}

bool Viewer::anyMessageBox(const wchar_t* caption, DWORD timeoutMs) const {
    return messageBox(caption, timeoutMs) != nullptr;
}

bool Viewer::waitForChange(const drive::ScreenPicture& before, Region region,
                           DWORD timeoutMs) const {
    return waitUntil([&] { return regionChanged(before, picture(), region); }, timeoutMs);
}

void expectEmpty(const Viewer& viewer) {
    EXPECT_EQ(viewer.title(), L"Tavrin");
    for (ConsoleButton which : {ConsoleButton::Play, ConsoleButton::Stop, ConsoleButton::Previous,
                                ConsoleButton::Next, ConsoleButton::PreviousDate,
                                ConsoleButton::NextDate})
        EXPECT_FALSE(viewer.enabled(which)) << "button " << static_cast<int>(which);
}

Card::Card(int recordings, int frames, const std::vector<cardgen::Damage>& damage) {
    cardgen::CardOptions options;
    options.folder = toUtf8(folder_.path());
    options.recordings = recordings;
    options.frames = frames;
    options.width = 320;
    options.height = 240;
    options.damage = damage;
    cardgen::writeCard(options, [](const std::string&) {});
    relist();
}

void Card::relist() {
    std::vector<std::unique_ptr<ArchiveEntry>> entries;
    std::int32_t count = 0;
    // Any archive name of the folder serves; the listing reads the folder it lies in.
    listArchives(folder_.file(L"0001_001.DAT"), entries, count);
    recordings_.clear();
    for (const auto& entry : entries) recordings_.push_back(entry->path);
}

}  // namespace tavrin::e2e
