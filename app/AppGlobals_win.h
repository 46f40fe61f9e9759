#pragma once

#include <windows.h>

#include <string>

namespace tavrin {

// Process-wide values set once at start-up. The application name (text 5001) titles the main
// window; the version record sizes it.
extern std::wstring appName;
extern OSVERSIONINFOEXW osVersionInfo;

}  // namespace tavrin
