#include <windows.h>

#include "app/Startup_win.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace {

constexpr unsigned kErrorCaption = 5018;
constexpr unsigned kInternalErrorText = 5057;

void showFatal(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), tavrin::loadMessage(kErrorCaption).c_str(), MB_ICONERROR);
}

}  // namespace

// The program takes no arguments: the command line is ignored.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    try {
        tavrin::prepareProcess();
        return tavrin::runViewer(instance, showCommand);
    } catch (const tavrin::Exception& failure) {
        showFatal(failure.message());
    } catch (...) {
        showFatal(tavrin::loadMessage(kInternalErrorText));
    }
    return 0;
}
