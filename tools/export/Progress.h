#pragma once

// The progress bar on standard error: drawn only on a terminal and never with --quiet, so
// output redirected to a file or read by another program stays clean.

#include <cstdint>
#include <string>

namespace tavrin::exporter {

class Progress {
public:
    explicit Progress(bool shown) : shown_(shown) {}
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    ~Progress() { end(); }

    void begin(const std::string& label, std::int64_t total);
    void advance(std::int64_t by = 1);
    // Clears the bar's line.
    void end();

private:
    void draw();

    bool shown_;
    bool drawn_ = false;
    std::string label_;
    std::int64_t total_ = 0;
    std::int64_t done_ = 0;
    int lastPermille_ = -1;
};

}  // namespace tavrin::exporter
