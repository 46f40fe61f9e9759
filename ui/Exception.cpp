#include "ui/Exception.h"

#include <cwchar>
#include <utility>

#include "ui/Messages.h"

namespace tavrin {

Exception::Exception(std::wstring message) : message_(std::move(message)) {}
Exception::~Exception() = default;

WindowException::~WindowException() = default;
SystemException::~SystemException() = default;
FirmInfoException::~FirmInfoException() = default;
ImageException::~ImageException() = default;
VideoArchiveException::~VideoArchiveException() = default;
WaveAudioException::~WaveAudioException() = default;

std::wstring unknownErrorText(unsigned long code) {
    wchar_t buffer[1024] = {};
    // The format is the table's own text ("...エラーコード:%d"); the code is shown as Windows
    // shows error numbers, in signed decimal.
    std::swprintf(buffer, 1024, loadMessage(5070).c_str(), static_cast<int>(code));
    return buffer;
}

}  // namespace tavrin
