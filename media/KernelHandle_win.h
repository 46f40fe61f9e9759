#pragma once

#include <windows.h>

namespace tavrin {

// Owns one kernel handle (thread, event, mutex) and closes it once. Move-only.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    KernelHandle(KernelHandle&& other) noexcept : handle_(other.release()) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    ~KernelHandle() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    HANDLE release() {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void reset(HANDLE handle = nullptr) {
        if (handle_ != nullptr) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    // Null means none; the creating calls used here report failure as null, never
    // INVALID_HANDLE_VALUE.
    HANDLE handle_ = nullptr;
};

}  // namespace tavrin
