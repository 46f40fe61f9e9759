#include <windows.h>

#include "ui/Exception.h"

namespace tavrin {

WindowException describeError(unsigned long code) {
    wchar_t buffer[1024];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, buffer, 1024,
                                  nullptr);
    // The system's text keeps its own trailing line break, as the user has always seen it.
    if (length == 0) return WindowException(unknownErrorText(code));
    return WindowException(std::wstring(buffer, length));
}

}  // namespace tavrin
