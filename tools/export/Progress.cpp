#include "tools/export/Progress.h"

#include <cstdio>

namespace tavrin::exporter {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

void Progress::begin(const std::string& label, std::int64_t total) {
    label_ = label;
    total_ = total > 0 ? total : 1;
    done_ = 0;
    lastPermille_ = -1;
    draw();
}

void Progress::advance(std::int64_t by) {
    done_ += by;
    draw();
}

void Progress::draw() {
    if (!shown_) return;
    const int permille = static_cast<int>(done_ * 1000 / total_);
    // A terminal redrawn for every frame would cost more than the frame.
    if (permille == lastPermille_) return;
    lastPermille_ = permille;
    const int filled = permille * kBarWidth / 1000;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kBarWidth, '.');
    std::fprintf(stderr, "\r[%s] %3d%% %s", bar.c_str(), permille / 10, label_.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void Progress::end() {
    if (!drawn_) return;
    std::fprintf(stderr, "\r%*s\r", kBarWidth + 8 + static_cast<int>(label_.size()), "");
    std::fflush(stderr);
    drawn_ = false;
}

}  // namespace tavrin::exporter
