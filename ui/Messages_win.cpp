#include <windows.h>

#include "ui/AppInstance_win.h"
#include "ui/Messages.h"
#include "ui/Messages_win.h"

namespace tavrin {

namespace {
constexpr int kMessageBufferChars = 2048;
}

std::wstring loadMessage(unsigned id) {
    wchar_t buffer[kMessageBufferChars];
    int length = LoadStringW(appInstance, id, buffer, kMessageBufferChars);
    return length > 0 ? std::wstring(buffer, static_cast<size_t>(length)) : std::wstring();
}

std::wstring loadMessageNarrow(unsigned id) {
    char narrow[kMessageBufferChars];
    int length = LoadStringA(appInstance, id, narrow, kMessageBufferChars);
    if (length <= 0) return std::wstring();
    // LoadStringA converts with the ANSI code page, so that is the page to widen with. On the
    // Japanese systems the program was written for the OEM page is the same (932); elsewhere the
    // OEM page differs and would garble the text.
    int wideLength = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, narrow, length, nullptr, 0);
    if (wideLength <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, narrow, length, wide.data(), wideLength);
    return wide;
}

}  // namespace tavrin
