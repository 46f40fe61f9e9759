#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace tavrin {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

// An owned GDI object (font, brush, bitmap), deleted when the holder goes. It must not be
// selected into a device context at that moment.
template <typename Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

using FontObject = GdiObject<HFONT>;

}  // namespace tavrin
