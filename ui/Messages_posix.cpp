#include <algorithm>

#include "ui/MessageTable.h"
#include "ui/Messages.h"

namespace tavrin {

std::wstring loadMessage(unsigned id) {
    const MessageEntry* end = kMessageTable + kMessageCount;
    const MessageEntry* found =
        std::find_if(kMessageTable, end, [id](const MessageEntry& e) { return e.id == id; });
    return found == end ? std::wstring() : std::wstring(found->text);
}

}  // namespace tavrin
