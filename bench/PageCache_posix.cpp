#include <fcntl.h>
#include <unistd.h>

#include "bench/PageCache.h"

namespace tavrin::bench {

bool dropFromFileCache(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    // Pages still to be written cannot be dropped.
    const bool dropped =
        ::fdatasync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return dropped;
}

}  // namespace tavrin::bench
