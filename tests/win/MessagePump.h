#pragma once

#include <windows.h>

#include <functional>

#include "ui/AppInstance_win.h"
#include "ui/Window_win.h"

namespace tavrin::test {

// Dispatches this thread's messages until `done` holds or `ms` have passed; whether it held.
// A null `done` just pumps for `ms`.
inline bool pumpUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = timeGetTime();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done && done()) return true;
        const DWORD elapsed = timeGetTime() - start;
        if (elapsed >= ms) return false;
        // A condition not driven by messages is looked at again every few milliseconds.
        const DWORD wait = done ? (ms - elapsed < 2 ? ms - elapsed : 2) : ms - elapsed;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    }
}

inline void pumpFor(DWORD ms) { pumpUntil(nullptr, ms); }

// A message-only window of the shared class, for tests that only need to receive messages.
class MessageOnlyWindow : public Window {
protected:
    MessageOnlyWindow() {
        CreateParams params;
        params.className = MAKEINTATOM(sharedClass());
        params.parent = HWND_MESSAGE;
        params.instance = appInstance;
        create(params);
    }
};

}  // namespace tavrin::test
