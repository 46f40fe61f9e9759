#pragma once

#include <windows.h>

namespace tavrin {

// The module whose classes, resources and dialogs the program uses. Start-up stores the entry
// function's instance handle here; until then it is the executable's own module, which is the
// same handle, so tests that never run start-up still reach their resources.
extern HINSTANCE appInstance;

}  // namespace tavrin
