// The archive-name test and the folder part of a path over arbitrary wide text.
#include <cstddef>
#include <cstdint>

#include "recording/ArchiveListing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavrin::Path path;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        path += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    }
    bool archive = tavrin::isArchiveFileName(path);
    tavrin::Path folder = tavrin::parentFolderOf(path);
    // The folder part is a prefix of the path and never ends in a separator unless it is one.
    if (folder.size() > path.size() || path.compare(0, folder.size(), folder) != 0) {
        __builtin_trap();
    }
    if (folder.size() > 1 && folder.back() == tavrin::kPathSeparator) __builtin_trap();
    (void)archive;
    return 0;
}
