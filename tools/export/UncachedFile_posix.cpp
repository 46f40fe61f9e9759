#include <fcntl.h>
#include <unistd.h>

#include <utility>

#include "recording/TextEncoding.h"
#include "tools/export/UncachedFile.h"

namespace tavrin::exporter {

UncachedFile::UncachedFile(UncachedFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)) {}

UncachedFile& UncachedFile::operator=(UncachedFile&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, kNoHandle);
    }
    return *this;
}

UncachedFile::~UncachedFile() { close(); }

UncachedFile UncachedFile::openForWriting(const Path& path) {
    UncachedFile file;
    // Refused (EINVAL) by file systems that have no direct writes.
    const int fd = ::open(toUtf8(path).c_str(), O_WRONLY | O_DIRECT | O_CLOEXEC);
    if (fd >= 0) file.handle_ = fd;
    return file;
}

bool UncachedFile::writeAt(std::int64_t offset, const void* bytes, std::size_t count) {
    const auto* from = static_cast<const char*>(bytes);
    while (count > 0) {
        const ssize_t done = ::pwrite(static_cast<int>(handle_), from, count, offset);
        if (done <= 0) return false;
        from += done;
        offset += done;
        count -= static_cast<std::size_t>(done);
    }
    return true;
}

void UncachedFile::close() {
    if (handle_ == kNoHandle) return;
    ::close(static_cast<int>(std::exchange(handle_, kNoHandle)));
}

}  // namespace tavrin::exporter
