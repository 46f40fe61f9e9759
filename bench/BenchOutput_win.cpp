#include <windows.h>

#include "bench/BenchOutput.h"

namespace tavrin::bench {

std::string runSuffix() {
    // Wine's ntdll exports its version; Windows' does not.
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    bool underWine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    return underWine ? "_wine" : "_windows";
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace tavrin::bench
