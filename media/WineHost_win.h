#pragma once

#include <windows.h>

namespace tavrin {

// Whether the program runs on Wine, whose waveform output counts and pads differently from a
// Windows driver's (see SoundOutputProfile.h). Wine's own system library says so by an export
// that no Windows version has.
inline bool runsOnWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace tavrin
