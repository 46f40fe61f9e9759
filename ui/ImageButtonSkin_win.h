#pragma once

#include <memory>

#include "media/AlphaImage_win.h"

namespace tavrin {

// The skin pictures of the image buttons, sliders and their panels, from the "IMAGE" resources.
// A picture the resources lack stays empty (the window then shows the button face), so these
// controls never fail over a missing look.

// Identifier 0 means the control has no such look: null.
inline std::unique_ptr<AlphaImage> loadSkinPicture(int resourceId) {
    if (resourceId == 0) return nullptr;
    return std::make_unique<AlphaImage>(resourceId);
}

// Whether there is a picture to draw.
inline bool loaded(const std::unique_ptr<AlphaImage>& picture) {
    return picture && picture->image() != nullptr;
}

}  // namespace tavrin
