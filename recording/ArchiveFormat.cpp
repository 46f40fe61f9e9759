#include "recording/ArchiveFormat.h"

namespace tavrin {

const std::uint8_t kMakerPattern[kMakerPatternSize] = {'H', 'A', 'L', 'V', 'E', 'R', 'N',
                                                       '-', 'O', 'K', 'A', '.', 0,   0};

const std::uint8_t kJpegPrefix[kJpegPrefixSize] = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x04,
                                                   0x00, 0x00, 0xFF, 0xFE, 0x00, 0x04,
                                                   0x00, 0x00, 0xFF, 0xE0};

}  // namespace tavrin
