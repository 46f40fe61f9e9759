#include <utility>

#include "tools/export/UncachedFile.h"

namespace tavrin::exporter {

// Here every byte goes through the cache, written by the caller's own file.

UncachedFile::UncachedFile(UncachedFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)) {}

UncachedFile& UncachedFile::operator=(UncachedFile&& other) noexcept {
    if (this != &other) handle_ = std::exchange(other.handle_, kNoHandle);
    return *this;
}

UncachedFile::~UncachedFile() = default;

UncachedFile UncachedFile::openForWriting(const Path&) { return UncachedFile(); }

bool UncachedFile::writeAt(std::int64_t, const void*, std::size_t) { return false; }

void UncachedFile::close() { handle_ = kNoHandle; }

}  // namespace tavrin::exporter
