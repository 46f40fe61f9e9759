#include "settings/DialogMutex_win.h"

#include <cstdlib>
#include <cwchar>

namespace tavrin {

DialogMutex::DialogMutex() : name_(_wcsdup(kName)) {
    // No name, no guard: the guard only ever warns, so going without it is harmless.
    if (!name_) return;
    handle_ = CreateMutexW(nullptr, TRUE, name_);
    if (!handle_) return;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // The ownership asked for was not granted, so there is nothing to release; the first
        // holder's handle alone keeps the object alive.
        CloseHandle(handle_);
        handle_ = nullptr;
        heldElsewhere_ = true;
        return;
    }
    // Only the object's existence matters to the other copies, not its ownership; released
    // now, no thread can ever be left waiting on an abandoned mutex.
    ReleaseMutex(handle_);
}

DialogMutex::~DialogMutex() {
    std::free(name_);
    if (handle_) CloseHandle(handle_);
}

}  // namespace tavrin
