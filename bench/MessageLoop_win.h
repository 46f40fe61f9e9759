#pragma once

#include <windows.h>

#include <functional>

namespace tavrin::bench {

// Dispatches this thread's messages until `done` holds or `timeoutMs` have passed; whether it
// held. `done` is looked at only after messages, so it must change only through them. Between
// messages the thread sleeps as the viewer's own loop does, without polling, so the loop adds
// no CPU time of its own to what is measured.
bool dispatchMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs);

}  // namespace tavrin::bench
