#pragma once

#include <functional>
#include <string>

namespace tavrin {

// Hands a document or web address to whatever the desktop opens it with. The result is a system
// error code: 0 (ERROR_SUCCESS) when it was handed over, otherwise why not. The pages of the
// program go through one of these so that tests can stand in for the browser.
using DocumentOpener = std::function<unsigned long(const std::wstring& address)>;

// The desktop's way: ShellExecuteW with no verb, started in "C:\".
unsigned long openWithShell(const std::wstring& address);

}  // namespace tavrin
