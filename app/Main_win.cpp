#include <windows.h>

#include "ui/AppInstance_win.h"

// The program's entry point. It takes no arguments; the command line is ignored. The viewer's
// main window is not part of the program yet, so for now it only records its module and ends.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    tavrin::appInstance = instance;
    return 0;
}
