#include "bench/MessageLoop_win.h"

#include <mmsystem.h>

namespace tavrin::bench {

bool dispatchMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = timeGetTime();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            if (done()) return true;
        }
        if (done()) return true;
        const DWORD elapsed = timeGetTime() - start;
        if (elapsed >= timeoutMs) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs - elapsed, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

}  // namespace tavrin::bench
