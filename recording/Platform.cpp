#include "recording/Platform.h"

namespace tavrin {

// The parts of BinaryFile that do not touch the system; the rest is in each platform's file.
BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : handle_(other.handle_), position_(other.position_) {
    other.handle_ = kNoHandle;
}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        position_ = other.position_;
        other.handle_ = kNoHandle;
    }
    return *this;
}

BinaryFile::~BinaryFile() { close(); }

}  // namespace tavrin
