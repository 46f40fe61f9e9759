#include "bench/ScreenFrameReader_win.h"

#include "bench/PerformanceClock_win.h"
#include "tools/cardgen/FrameStrip.h"

namespace tavrin::bench {

ScreenFrameReader::ScreenFrameReader(RECT box, DWORD periodMs) : box_(box), periodMs_(periodMs) {
    sightings_.reserve(1 << 16);
    thread_ = std::thread([this] { run(); });
}

ScreenFrameReader::~ScreenFrameReader() { stop(); }

void ScreenFrameReader::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
}

void ScreenFrameReader::run() {
    const int width = box_.right - box_.left;
    const int height = box_.bottom - box_.top;
    if (width <= 0 || height <= 0) return;
    // Only the strip's rows are copied, into their place in a picture of the box's size: a
    // smaller copy is a quicker one, so its moment is known more closely.
    const int stripTop = cardgen::stripTop(height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        const double start = performanceMs();
        for (long grab = 0; !stopping_; ++grab) {
            const double due = start + static_cast<double>(grab) * periodMs_;
            const double wait = due - performanceMs();
            if (wait > 0) Sleep(static_cast<DWORD>(wait));
            const double before = performanceMs();
            BitBlt(memory, 0, stripTop, width, height - stripTop, screen, box_.left,
                   box_.top + stripTop, SRCCOPY);
            GdiFlush();
            const double after = performanceMs();
            const int frame = cardgen::readFrameStrip(static_cast<const std::uint8_t*>(bits), width,
                                                      height, width * 4, true);
            sightings_.push_back({(before + after) / 2, after - before, frame});
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace tavrin::bench
