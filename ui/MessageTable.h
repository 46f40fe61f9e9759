#pragma once

#include <cstddef>

namespace tavrin {

// The message table compiled into builds that have no Windows string table to read it from.
struct MessageEntry {
    unsigned id;
    const wchar_t* text;
};

extern const MessageEntry kMessageTable[];
extern const std::size_t kMessageCount;

}  // namespace tavrin
