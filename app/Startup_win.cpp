#include "app/Startup_win.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>

#include "app/AppGlobals_win.h"
#include "app/MainWindow_win.h"
#include "recording/DeviceTypeCode.h"
#include "ui/AppInstance_win.h"
#include "ui/Exception.h"
#include "ui/Messages.h"
#include "ui/PendingFailure_win.h"

namespace tavrin {

std::wstring appName;
OSVERSIONINFOEXW osVersionInfo = {};

namespace {

constexpr unsigned kWarningCaption = 5005;
constexpr unsigned kUnknownSystemText = 5049;
constexpr unsigned kOldSystemText = 5051;
constexpr unsigned kComFailedText = 5054;
constexpr unsigned kCommonControlsFailedText = 5055;
constexpr unsigned kAppNameText = 5001;
constexpr unsigned kDeviceTypeText = 5087;

void ignoreInvalidParameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned, uintptr_t) {}

void warnAboutSystem(unsigned textId) {
    MessageBoxW(nullptr, loadMessage(textId).c_str(), loadMessage(kWarningCaption).c_str(),
                MB_ICONWARNING | MB_SYSTEMMODAL | MB_TOPMOST);
}

}  // namespace

bool checkOperatingSystem() {
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    BOOL known = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
    if (!known) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        known = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
    }
    if (!known) {
        warnAboutSystem(kUnknownSystemText);
    } else if (!((info.dwMajorVersion >= 5 && info.dwMinorVersion >= 1) || info.dwMajorVersion >= 6)) {
        warnAboutSystem(kOldSystemText);
    }
    osVersionInfo = info;
    return true;
}

void prepareProcess() {
    const UINT mode = SetErrorMode(0);
    SetErrorMode(mode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    SetCurrentDirectoryW(L"C:\\");
    _set_invalid_parameter_handler(ignoreInvalidParameter);
    checkOperatingSystem();
    // S_FALSE too: COM already initialised on this thread means someone else owns its model.
    if (CoInitialize(nullptr) != S_OK) throw SystemException(loadMessage(kComFailedText));
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = 0x3FFF;
    if (!InitCommonControlsEx(&controls))
        throw SystemException(loadMessage(kCommonControlsFailedText));
}

int runViewer(HINSTANCE instance, int showCommand) {
    appInstance = instance;
    appName = loadMessage(kAppNameText);
    loadDeviceTypeCode(loadMessage(kDeviceTypeText));
    auto* window = new MainWindow;
    ShowWindow(window->hwnd, showCommand);
    UpdateWindow(window->hwnd);
    window->showStartupAnimation();
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // A handler's failure ended the loop; it is reported as if it had left the loop itself.
    rethrowHeldFailure();
    return static_cast<int>(message.wParam);
}

}  // namespace tavrin
