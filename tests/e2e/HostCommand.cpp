#include "tests/e2e/HostCommand.h"

#include <stdexcept>

#include "tests/e2e/ViewerSession.h"
#include "tests/support/TestFolder.h"

namespace tavrin::e2e {

bool hostCommandsAvailable() { return test::wineHostReachable(); }

void runHostCommand(const std::string& script, DWORD timeoutMs) {
    // The process handle Wine gives for a Unix program cannot be waited on: the script marks its
    // end with a file instead.
    test::TestFolder folder;
    const std::string done = hostPath(folder.file(L"done"));
    if (done.empty()) throw std::runtime_error("host commands run only under Wine");
    test::startHostScript(script + "; touch '" + done + "'");
    if (!waitUntil([&] { return GetFileAttributesW(folder.file(L"done").c_str()) !=
                                INVALID_FILE_ATTRIBUTES; },
                   timeoutMs))
        throw std::runtime_error("a host command did not end: " + script);
}

}  // namespace tavrin::e2e
