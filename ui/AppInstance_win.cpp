#include "ui/AppInstance_win.h"

namespace tavrin {

HINSTANCE appInstance = GetModuleHandleW(nullptr);

}  // namespace tavrin
