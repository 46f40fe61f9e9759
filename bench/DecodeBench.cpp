// Frames per second of decodeJpeg against the library's own decode of the same bytes into a
// plain buffer, on pictures like the unit's: a lit scene with fine noise, quality 85.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchOutput.h"
#include "media/Image.h"
#include "media/JpegDecoder.h"
#include "tests/support/TestPictures.h"

namespace tavrin::bench {
namespace {

using Clock = std::chrono::steady_clock;

// The picture is made the same way as the tests' noisy scene.
std::vector<std::uint8_t> scenePicture(int width, int height) {
    test::RawPicture picture = test::solidPicture(width, height, 3, {0, 0, 0});
    std::srand(1);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.at(x, y);
            int noise = std::rand() % 24;
            p[0] = static_cast<std::uint8_t>((x * 255 / width + noise) % 256);
            p[1] = static_cast<std::uint8_t>((y * 255 / height + noise) % 256);
            p[2] = static_cast<std::uint8_t>(((x ^ y) & 0x3F) + 96 + noise);
        }
    }
    return test::encodeJpeg(picture, test::JpegKind::Colour, 85);
}

template <typename Decode>
double framesPerSecond(Decode decode, double seconds) {
    int frames = 0;
    Clock::time_point start = Clock::now();
    Clock::duration budget = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(seconds));
    Clock::duration elapsed{};
    while (elapsed < budget) {
        decode();
        ++frames;
        elapsed = Clock::now() - start;
    }
    return frames / std::chrono::duration<double>(elapsed).count();
}

void benchSize(int width, int height) {
    std::vector<std::uint8_t> bytes = scenePicture(width, height);
    test::RawPicture plainBuffer;
    bool ok = true;
    auto ours = [&] { ok = ok && decodeJpeg(bytes.data(), bytes.size()) != nullptr; };
    auto plain = [&] { test::decodeJpegPlain(bytes, plainBuffer); };
    // Interleaved rounds, best of each, so a busy moment on the machine hits both alike.
    double bestOurs = 0;
    double bestPlain = 0;
    for (int round = 0; round < 7; ++round) {
        bestPlain = std::max(bestPlain, framesPerSecond(plain, 0.5));
        bestOurs = std::max(bestOurs, framesPerSecond(ours, 0.5));
    }
    if (!ok) {
        std::fprintf(stderr, "decodeJpeg failed on the benchmark picture\n");
        std::exit(1);
    }
    std::string size = std::to_string(width) + "x" + std::to_string(height);
    printFigure("decode_fps_" + size, bestOurs, "fps");
    printFigure("decode_plain_fps_" + size, bestPlain, "fps");
    printFigure("decode_ratio_" + size, bestOurs / bestPlain, "ratio");
}

}  // namespace
}  // namespace tavrin::bench

int main() {
    tavrin::bench::benchSize(640, 480);
    tavrin::bench::benchSize(1280, 960);
    return 0;
}
