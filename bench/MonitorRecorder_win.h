#pragma once

// What a person would hear: the sound server's monitor of the output the player plays into,
// recorded by the host's recorder into a file while a watcher thread notes, on the performance
// counter, when each piece of it arrived. Those arrival times tie the recording's sample clock
// to the clock the screen is grabbed on.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/HeardFigures.h"
#include "tests/support/TestFolder.h"

namespace tavrin::bench {

class MonitorRecorder {
public:
    // Whether recording can work here: Wine with the host's recorder installed.
    static bool available();

    // Starts recording one channel of 16-bit samples at `sampleRate`, asking the server for
    // pieces of `latencyMs`. Throws std::runtime_error when the recorder cannot be started.
    MonitorRecorder(int sampleRate, int latencyMs);
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    // Waits until samples have been arriving steadily for `settleMs`; false after `timeoutMs`.
    bool waitUntilFlowing(DWORD settleMs, DWORD timeoutMs);
    // Ends the recorder and the watcher; what was recorded stays readable.
    void stop();

    // How far ahead of playing it the server renders what it plays (and hands it to the monitor),
    // by its own listing; nothing when it does not say. Takes a moment: asks the host.
    std::optional<double> sinkLatencyMs() const;

    // After stop: the samples, and when each count of them had arrived.
    std::vector<std::int16_t> samples() const;
    const std::vector<MonitorArrival>& arrivals() const { return arrivals_; }

private:
    void watch();
    std::int64_t fileBytes() const;

    test::TestFolder folder_;
    Path file_;
    std::string hostFolder_;
    std::vector<MonitorArrival> arrivals_;
    std::atomic<bool> stopping_{false};
    std::atomic<std::int64_t> bytesSeen_{0};
    std::thread watcher_;
    bool stopped_ = false;
};

}  // namespace tavrin::bench
