#pragma once

#include <windows.h>
#include <mmsystem.h>

namespace tavrin {

// Sole owner of an open waveform output handle. Releasing it stops output first, because the
// system refuses to close a device that still holds queued buffers.
class WaveOutDevice {
public:
    WaveOutDevice() = default;
    explicit WaveOutDevice(HWAVEOUT handle) : handle_(handle) {}
    ~WaveOutDevice() { reset(); }

    WaveOutDevice(WaveOutDevice&& other) noexcept : handle_(other.handle_) {
        other.handle_ = nullptr;
    }
    WaveOutDevice& operator=(WaveOutDevice&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }
    WaveOutDevice(const WaveOutDevice&) = delete;
    WaveOutDevice& operator=(const WaveOutDevice&) = delete;

    HWAVEOUT get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    void reset() {
        if (!handle_) return;
        waveOutReset(handle_);
        waveOutClose(handle_);
        handle_ = nullptr;
    }

private:
    HWAVEOUT handle_ = nullptr;
};

}  // namespace tavrin
