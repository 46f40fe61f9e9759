#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ui/AppInstance_win.h"
#include "ui/Dialog_win.h"
#include "ui/Exception.h"
#include "ui/PendingFailure_win.h"
#include "ui/TrackToolTip_win.h"
#include "ui/Window_win.h"
#include "tests/win/WarningBoxCloser.h"

namespace tavrin {
namespace {

constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kProbe = WM_APP + 2;
constexpr int kTestDialog = 9100;
constexpr int kTestDialogEdit = 9101;

// Counts what a window object lives through, across all objects of the test.
struct Counts {
    int destructors = 0;
    int destroyMessages = 0;
    int paints = 0;
};
Counts counts;

// One shown top-level window for the whole run. Under Wine without a window manager, hiding or
// destroying a shown top-level window waits two seconds, so the tests show only children of this.
class Host {
public:
    Host() {
        handle_ = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                                  nullptr, nullptr, appInstance, nullptr);
    }
    ~Host() { DestroyWindow(handle_); }
    HWND handle() const { return handle_; }

private:
    HWND handle_;
};

HWND host() {
    static Host window;
    return window.handle();
}

class CountingWindow : public Window {
public:
    // Without a parent: a hidden top-level window.
    explicit CountingWindow(HWND parent = nullptr, bool throwOnDestroy = false)
        : throwOnDestroy_(throwOnDestroy) {
        CreateParams params;
        params.className = MAKEINTATOM(sharedClass());
        params.style = parent ? WS_CHILD | WS_VISIBLE : WS_POPUP;
        params.x = params.y = 10;
        params.width = 200;
        params.height = 100;
        params.parent = parent;
        params.instance = appInstance;
        create(params);
    }
    ~CountingWindow() override { ++counts.destructors; }

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(hwnd, &paint);
            EndPaint(hwnd, &paint);
            ++counts.paints;
            return 0;
        }
        case WM_DESTROY:
            ++counts.destroyMessages;
            if (throwOnDestroy_) throw std::runtime_error("destroy failed");
            break;
        case kThrow:
            throw FirmInfoException(L"書き込み失敗");
        }
        return Window::handleMessage(message, wParam, lParam);
    }

private:
    bool throwOnDestroy_;
};

class CountingToolTip : public TrackToolTip {
public:
    using TrackToolTip::TrackToolTip;
    ~CountingToolTip() override { ++counts.destructors; }
};

void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        counts = Counts{};
    }
    void TearDown() override {
        // A failing test must not hand its failure, or a quit message, to the next one.
        pumpMessages();
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        try {
            rethrowHeldFailure();
        } catch (...) {
        }
    }
};

TEST_F(WindowTest, SharedClassIsRegisteredOnceForTheProcess) {
    auto* first = new CountingWindow;
    ATOM atom = Window::sharedClass();
    ASSERT_NE(atom, 0);
    WNDCLASSEXW info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExW(appInstance, L"DefaultWindow", &info));
    EXPECT_EQ(info.style, UINT(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(info.hbrBackground, nullptr);
    EXPECT_NE(info.hCursor, nullptr);
    EXPECT_EQ(GetClassWord(first->hwnd, GCW_ATOM), atom);

    // Registering again would fail with "class already exists" and throw.
    auto* second = new CountingWindow;
    EXPECT_EQ(Window::sharedClass(), atom);
    DestroyWindow(second->hwnd);
    DestroyWindow(first->hwnd);
    EXPECT_EQ(counts.destructors, 2);
}

TEST_F(WindowTest, ObjectLivesUntilItsWindowIsDestroyed) {
    auto* window = new CountingWindow;
    HWND handle = window->hwnd;
    EXPECT_EQ(Window::fromHandle(handle), window);
    DestroyWindow(handle);
    EXPECT_EQ(counts.destroyMessages, 1);
    EXPECT_EQ(counts.destructors, 1);
    EXPECT_EQ(Window::fromHandle(handle), nullptr);

    // Children and theirs go with the parent.
    auto* parent = new CountingWindow;
    auto* child = new CountingWindow(parent->hwnd);
    HWND handles[] = {parent->hwnd, child->hwnd, (new CountingWindow(child->hwnd))->hwnd};
    DestroyWindow(handles[0]);
    EXPECT_EQ(counts.destructors, 4);
    for (HWND gone : handles) EXPECT_EQ(Window::fromHandle(gone), nullptr);

    // Deleted by hand while alive: no dangling entry, the window carries on with its own procedure.
    window = new CountingWindow;
    handle = window->hwnd;
    delete window;
    EXPECT_EQ(Window::fromHandle(handle), nullptr);
    EXPECT_TRUE(SetWindowTextW(handle, L"x"));
    EXPECT_EQ(GetWindowTextLengthW(handle), 1);
    DestroyWindow(handle);
    EXPECT_EQ(counts.destructors, 5);

    Window unmade;
    CreateParams params;
    params.className = L"NoSuchClassAnywhere";
    EXPECT_THROW(unmade.create(params), WindowException);
    EXPECT_EQ(unmade.hwnd, nullptr);
}

TEST_F(WindowTest, UnhandledMessagesReachThePreviousProcedure) {
    auto* window = new CountingWindow;
    HWND handle = window->hwnd;
    ASSERT_NE(window->previousProc, nullptr);
    EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(handle, GWLP_WNDPROC)),
              window->previousProc);

    // The shared class keeps no text itself; only the default procedure stores it.
    EXPECT_TRUE(SendMessageW(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ドライブ")));
    wchar_t text[32] = {};
    EXPECT_EQ(SendMessageW(handle, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text)), 4);
    EXPECT_STREQ(text, L"ドライブ");
    DestroyWindow(handle);
}

TEST_F(WindowTest, SetEnabledRepaintsOnlyOnChange) {
    auto* window = new CountingWindow(host());
    UpdateWindow(window->hwnd);
    pumpMessages();
    counts.paints = 0;

    window->setEnabled(true);
    EXPECT_EQ(counts.paints, 0);
    EXPECT_TRUE(window->isEnabled());

    window->setEnabled(false);
    EXPECT_EQ(counts.paints, 1);
    EXPECT_FALSE(window->isEnabled());
    EXPECT_FALSE(IsWindowEnabled(window->hwnd));

    window->setEnabled(false);
    EXPECT_EQ(counts.paints, 1);
    window->setEnabled(true);
    EXPECT_EQ(counts.paints, 2);
    EXPECT_TRUE(window->isEnabled());
    DestroyWindow(window->hwnd);
}

class PendingFailureTest : public WindowTest {};

TEST_F(PendingFailureTest, HandlerFailureEndsTheLoopAndIsRethrownAfterIt) {
    auto* window = new CountingWindow;
    HWND handle = window->hwnd;
    PostMessageW(handle, kThrow, 0, 0);
    // Guards the loop: should the failure not end it, this quit code ends it instead.
    UINT_PTR guard = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) {
        PostQuitMessage(99);
    });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    KillTimer(nullptr, guard);
    EXPECT_EQ(msg.wParam, 0u);
    ASSERT_TRUE(hasHeldFailure());
    try {
        rethrowHeldFailure();
        ADD_FAILURE() << "nothing rethrown";
    } catch (const FirmInfoException& failure) {
        EXPECT_EQ(failure.message(), L"書き込み失敗");
    }
    EXPECT_FALSE(hasHeldFailure());
    EXPECT_NO_THROW(rethrowHeldFailure());
    // The failed handler did not cost the window its registration.
    EXPECT_EQ(Window::fromHandle(handle), window);
    DestroyWindow(handle);
}

TEST_F(PendingFailureTest, FailureAtDestroyStillDeletesTheObjectOnce) {
    auto* window = new CountingWindow(nullptr, true);
    HWND handle = window->hwnd;
    DestroyWindow(handle);
    EXPECT_EQ(counts.destructors, 1);
    EXPECT_EQ(Window::fromHandle(handle), nullptr);
    EXPECT_THROW(rethrowHeldFailure(), std::runtime_error);
}

TEST_F(PendingFailureTest, TheFirstFailureIsKept) {
    holdFailure(nullptr);
    EXPECT_FALSE(hasHeldFailure());
    holdFailure(std::make_exception_ptr(VideoArchiveException(L"first")));
    holdFailure(std::make_exception_ptr(std::logic_error("second")));
    EXPECT_THROW(rethrowHeldFailure(), VideoArchiveException);
    EXPECT_NO_THROW(rethrowHeldFailure());
}

class TrackToolTipTest : public WindowTest {};

TEST_F(TrackToolTipTest, ToolsReachTheTooltipControl) {
    auto* panel = new CountingWindow;
    auto* button = new CountingWindow(panel->hwnd);
    auto* slider = new CountingWindow(panel->hwnd);
    auto* tip = new CountingToolTip(panel->hwnd);
    HWND tipHandle = tip->hwnd;

    wchar_t className[32] = {};
    GetClassNameW(tipHandle, className, 32);
    EXPECT_STREQ(className, TOOLTIPS_CLASSW);
    EXPECT_EQ(GetParent(tipHandle), panel->hwnd);
    EXPECT_TRUE(GetWindowLongW(tipHandle, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindowLongW(tipHandle, GWL_STYLE) & (TTS_ALWAYSTIP | TTS_NOPREFIX),
              TTS_ALWAYSTIP | TTS_NOPREFIX);

    EXPECT_TRUE(tip->addTool(button->hwnd, L"再生"));
    EXPECT_EQ(SendMessageW(tipHandle, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_TRUE(tip->addTrackingTool(slider->hwnd, L"0:00"));
    EXPECT_EQ(SendMessageW(tipHandle, TTM_GETTOOLCOUNT, 0, 0), 2);

    auto textOf = [&](HWND tool) {
        wchar_t text[64] = {};
        TTTOOLINFOW record = {};
        record.cbSize = TTTOOLINFOW_V2_SIZE;
        record.hwnd = panel->hwnd;
        record.uId = reinterpret_cast<UINT_PTR>(tool);
        record.lpszText = text;
        SendMessageW(tipHandle, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&record));
        return std::wstring(text);
    };
    EXPECT_EQ(textOf(button->hwnd), L"再生");
    tip->updateText(slider->hwnd, L"1:23");
    EXPECT_EQ(textOf(slider->hwnd), L"1:23");

    tip->activateTracking(slider->hwnd, L"1:23");
    EXPECT_TRUE(IsWindowVisible(tipHandle));
    tip->deactivateTracking(slider->hwnd);
    EXPECT_FALSE(IsWindowVisible(tipHandle));

    // Owned by the panel, so it goes with the panel like the children.
    DestroyWindow(panel->hwnd);
    EXPECT_EQ(counts.destructors, 4);
    EXPECT_EQ(Window::fromHandle(tipHandle), nullptr);
}

// Follows the test dialog through its life and checks what the base makes of commands.
class ProbeDialog : public Dialog {
public:
    ProbeDialog() : Dialog(kTestDialog) {}

    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_INITDIALOG:
            registeredAtInit = fromHandle(hwnd) == this;
            hasEdit = GetDlgItem(hwnd, kTestDialogEdit) != nullptr;
            // An unknown command first; the probe only arrives if that did not end the dialog.
            PostMessageW(hwnd, WM_COMMAND, 1234, 0);
            PostMessageW(hwnd, kProbe, 0, 0);
            SetTimer(hwnd, 1, 5000, nullptr);  // ends a dialog that would otherwise hang
            return TRUE;
        case WM_COMMAND:
            commandResults.push_back(Dialog::handleMessage(message, wParam, lParam));
            return commandResults.back();
        case kProbe:
            probed = true;
            if (throwOnProbe) throw FirmInfoException(L"設定失敗");
            PostMessageW(hwnd, WM_COMMAND, endWith, 0);
            return TRUE;
        case WM_TIMER:
            EndDialog(hwnd, IDABORT);
            return TRUE;
        }
        return Dialog::handleMessage(message, wParam, lParam);
    }

    WPARAM endWith = IDOK;
    bool throwOnProbe = false;
    bool registeredAtInit = false;
    bool hasEdit = false;
    bool probed = false;
    std::vector<INT_PTR> commandResults;
};

class DialogTest : public WindowTest {};

TEST_F(DialogTest, OkAndCancelEndTheDialogOtherCommandsOnlyClaim) {
    for (WPARAM end : {WPARAM(IDOK), WPARAM(IDCANCEL)}) {
        auto* owner = new CountingWindow;
        ProbeDialog dialog;
        dialog.endWith = end;
        EXPECT_EQ(dialog.showModal(owner->hwnd), INT_PTR(end));
        EXPECT_EQ(dialog.parent, owner->hwnd);
        EXPECT_TRUE(dialog.registeredAtInit);
        EXPECT_TRUE(dialog.hasEdit);
        EXPECT_TRUE(dialog.probed);
        EXPECT_EQ(dialog.commandResults, (std::vector<INT_PTR>{1, 1}));
        EXPECT_NE(dialog.hwnd, nullptr);
        EXPECT_EQ(Dialog::fromHandle(dialog.hwnd), nullptr);
        DestroyWindow(owner->hwnd);
    }
    Dialog unshown(kTestDialog);
    EXPECT_EQ(unshown.handleMessage(WM_COMMAND, 1234, 0), 1);
    EXPECT_EQ(unshown.handleMessage(WM_PAINT, 0, 0), 0);
    EXPECT_EQ(unshown.handleMessage(WM_INITDIALOG, 0, 0), 0);
}

TEST_F(DialogTest, HandlerFailureEndsTheDialogAndIsHeld) {
    ProbeDialog dialog;
    dialog.throwOnProbe = true;
    INT_PTR result = dialog.showModal(nullptr);
    EXPECT_NE(result, INT_PTR(IDABORT));  // ended by the failure, not by the guard timer
    EXPECT_EQ(Dialog::fromHandle(dialog.hwnd), nullptr);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_THROW(rethrowHeldFailure(), FirmInfoException);
}

TEST_F(DialogTest, MissingTemplateWarnsOnceAndReturnsMinusOne) {
    auto* owner = new CountingWindow;
    Dialog dialog(4242);
    INT_PTR result = 0;
    test::WarningBoxCloser closer;
    EXPECT_NO_THROW(result = dialog.showModal(owner->hwnd));
    // A second box would have had to appear while showModal ran; give the closer time to see it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    closer.stop();
    EXPECT_EQ(result, -1);
    EXPECT_EQ(closer.boxes(), 1);
    EXPECT_EQ(closer.owner(), owner->hwnd);
    std::wstring expected = describeError(ERROR_RESOURCE_NAME_NOT_FOUND).message();
    bool found = false;
    for (const auto& text : closer.texts())
        found = found || (!text.empty() && expected.find(text.substr(0, 10)) == 0);
    EXPECT_TRUE(found) << "the box does not show the system's text";
    DestroyWindow(owner->hwnd);
}

TEST_F(DialogTest, CenterWindowPlacesOverTheOther) {
    // Odd remainders truncate toward zero, also left of and above the screen origin.
    POINT origin = Dialog::centeredOrigin(RECT{0, 0, 101, 51}, RECT{100, 100, 500, 400});
    EXPECT_EQ(origin.x, 249);
    EXPECT_EQ(origin.y, 224);
    origin = Dialog::centeredOrigin(RECT{0, 0, 301, 201}, RECT{-300, -50, -100, 50});
    EXPECT_EQ(origin.x, -350);
    EXPECT_EQ(origin.y, -100);

    auto* over = new CountingWindow;
    auto* moved = new CountingWindow;
    SetWindowPos(over->hwnd, nullptr, 100, 100, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(moved->hwnd, nullptr, 0, 0, 101, 51, SWP_NOZORDER | SWP_NOACTIVATE);
    Dialog::centerWindow(moved->hwnd, over->hwnd);
    RECT placed;
    GetWindowRect(moved->hwnd, &placed);
    EXPECT_EQ(placed.left, 249);
    EXPECT_EQ(placed.top, 224);
    EXPECT_EQ(placed.right - placed.left, 101);
    DestroyWindow(over->hwnd);
    DestroyWindow(moved->hwnd);
}

}  // namespace
}  // namespace tavrin
