#pragma once

// What a person sees: the player's picture box grabbed off the screen at a steady rate on a
// thread of its own, with the frame read from the index strip every generated picture carries.

#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "bench/HeardFigures.h"

namespace tavrin::bench {

class ScreenFrameReader {
public:
    // `box` in screen coordinates; a grab every `periodMs`.
    ScreenFrameReader(RECT box, DWORD periodMs);
    ~ScreenFrameReader();
    ScreenFrameReader(const ScreenFrameReader&) = delete;
    ScreenFrameReader& operator=(const ScreenFrameReader&) = delete;

    void stop();

    // After stop.
    const std::vector<ScreenSighting>& sightings() const { return sightings_; }

private:
    void run();

    RECT box_;
    DWORD periodMs_;
    std::vector<ScreenSighting> sightings_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace tavrin::bench
