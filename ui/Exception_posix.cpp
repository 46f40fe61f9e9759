#include <cstring>

#include "ui/Exception.h"

namespace tavrin {

WindowException describeError(unsigned long code) {
    // strerrordesc_np answers null for codes the C library does not know, the counterpart of
    // FormatMessage finding no text.
    const char* text = strerrordesc_np(static_cast<int>(code));
    if (text == nullptr) return WindowException(unknownErrorText(code));
    std::wstring message;
    for (const char* p = text; *p != '\0'; ++p) message += static_cast<unsigned char>(*p);
    return WindowException(message);
}

}  // namespace tavrin
