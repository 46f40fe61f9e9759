#include <windows.h>

#include <atomic>
#include <string>

#include "tools/export/ExportPlatform.h"

namespace tavrin::exporter {

namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI noteInterrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    interrupted = true;
    return TRUE;
}

}  // namespace

bool moveIntoPlace(const Path& source, const Path& target, bool replace) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
    return MoveFileExW(source.c_str(), target.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0) !=
           0;
}

std::string lastSystemError() {
    // The system's own texts come in the user's language; the exporter speaks English.
    switch (const DWORD error = GetLastError()) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return "no space left on the disk";
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return "not allowed to write there";
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_DIRECTORY:
            return "the folder does not exist";
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return "a file of that name exists";
        default:
            return "system error " + std::to_string(error);
    }
}

bool errorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void prepareConsole() { SetConsoleOutputCP(CP_UTF8); }

void catchInterrupts() { SetConsoleCtrlHandler(noteInterrupt, TRUE); }

bool interruptRequested() { return interrupted; }

}  // namespace tavrin::exporter
