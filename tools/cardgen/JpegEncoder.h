#pragma once

// Compresses a canvas as the unit does: baseline JFIF, 4:2:0, Huffman tables fitted to the
// picture (which keeps low-quality pictures within one block).

#include "tools/cardgen/ArchiveBuilder.h"
#include "tools/cardgen/Canvas.h"

namespace tavrin::cardgen {

// A complete JPEG stream starting FF D8 FF E0; `quality` 1..100.
Bytes encodeJpeg(const Canvas& canvas, int quality);

}  // namespace tavrin::cardgen
