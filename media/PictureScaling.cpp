#include "media/PictureScaling.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "media/Image.h"

namespace tavrin {

namespace {

constexpr int kReductions[] = {8, 4, 2};
// A half-size picture a few per cent short of the box is taken too, its last few per cent left
// to the drawing's stretch: the viewer's own default box (648 x 486) lies just beyond half of a
// 1280 x 960 picture, where a full decode would cost twice as much for no visible gain. Only at
// half size: a quarter-size picture enlarged even 1 % loses detail a full decode keeps.
constexpr double kLargestEnlargement = 1.02;

// Rows are combined down first, whole rows at a time: unsigned 16-bit products of a sample
// (scaled by 256) and a weight in 15 bits leave the sum in units of 1/128 of a sample, which
// 255 << 7 keeps inside 16 signed bits. Across, a multiply-add weighs two of those values at once
// with signed 16-bit weights, 14 bits so that a whole 1 still fits.
constexpr int kDownWeightBits = 15;
constexpr int kAcrossWeightBits = 14;
constexpr int kRowFractionBits = 7;

int divideRoundingUp(int size, int by) { return (size + by - 1) / by; }

// Along one direction: which source pixels each target pixel covers, and how much of each.
// Target pixel t covers the source span [t, t + 1) x source / target; its weights are the parts
// of that span each source pixel covers, as fractions that add up to exactly 1. Every target
// gets the same number of weights (even across, where they are taken in pairs), padded with
// zeros on the pixels after its span (which may lie past the end: the readers allow for that),
// so the loops run without branches.
struct AxisWeights {
    int taps = 0;
    std::vector<int> first;              // per target: the first source pixel it covers
    std::vector<std::uint16_t> weights;  // `taps` a target, fixed point
};

AxisWeights axisWeights(int source, int target, int weightBits, bool evenTaps) {
    AxisWeights axis;
    // A span of source / target pixels touches at most one more pixel than it is long.
    axis.taps = divideRoundingUp(source, target) + 1;
    if (evenTaps) axis.taps += axis.taps % 2;
    axis.first.resize(static_cast<std::size_t>(target));
    axis.weights.assign(static_cast<std::size_t>(target) * axis.taps, 0);
    // In units of 1 / target of a source pixel, so every boundary is a whole number.
    for (int t = 0; t < target; ++t) {
        const std::int64_t from = static_cast<std::int64_t>(t) * source;
        const std::int64_t to = from + source;
        const int first = static_cast<int>(from / target);
        const int last = static_cast<int>((to - 1) / target);
        axis.first[static_cast<std::size_t>(t)] = first;
        std::uint16_t* weight = &axis.weights[static_cast<std::size_t>(t) * axis.taps];
        // Rounding the running total rather than each part keeps the sum exactly 1.
        std::int64_t covered = 0;
        int given = 0;
        for (int s = first; s <= last; ++s) {
            const std::int64_t begin = std::max<std::int64_t>(from, std::int64_t{s} * target);
            const std::int64_t end = std::min<std::int64_t>(to, std::int64_t{s + 1} * target);
            covered += end - begin;
            const int total = static_cast<int>(((covered << weightBits) + source / 2) / source);
            weight[s - first] = static_cast<std::uint16_t>(total - given);
            given = total;
        }
    }
    return axis;
}

// One target row from the source rows its span covers: 16-bit lanes in units of 1/128 of a
// sample, for the whole width of the source. A row at a time, so its weight stays in a register
// and each step is one row's sixteen bytes.
void combineRowsDown(const std::uint8_t* const* rows, const std::uint16_t* weight, int taps,
                     std::size_t bytes, std::int16_t* out) {
    const __m128i zero = _mm_setzero_si128();
    for (int k = 0; k < taps; ++k) {
        const std::uint8_t* row = rows[k];
        const __m128i w = _mm_set1_epi16(static_cast<short>(weight[k]));
        std::size_t x = 0;
        for (; x + 16 <= bytes; x += 16) {
            const __m128i samples = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
            __m128i low = _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, samples), w);
            __m128i high = _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, samples), w);
            __m128i* sums = reinterpret_cast<__m128i*>(out + x);
            if (k > 0) {
                low = _mm_add_epi16(low, _mm_loadu_si128(sums));
                high = _mm_add_epi16(high, _mm_loadu_si128(sums + 1));
            }
            _mm_storeu_si128(sums, low);
            _mm_storeu_si128(sums + 1, high);
        }
        for (; x < bytes; x += 4) {
            std::int32_t pixel;
            std::memcpy(&pixel, row + x, 4);
            __m128i sum = _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, _mm_cvtsi32_si128(pixel)), w);
            __m128i* sums = reinterpret_cast<__m128i*>(out + x);
            if (k > 0) sum = _mm_add_epi16(sum, _mm_loadl_epi64(sums));
            _mm_storel_epi64(sums, sum);
        }
    }
}

// The sum of one target pixel across: its source pixels two at a time, as a0 b0 a1 b1 a2 b2 a3
// b3, so that one multiply-add weighs both.
template <int Pairs>
__m128i sumAcross(const std::int16_t* pixel, const std::uint16_t* weight, int pairs) {
    if (Pairs > 0) pairs = Pairs;
    __m128i sum = _mm_setzero_si128();
    for (int k = 0; k < pairs; ++k) {
        __m128i two = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel + k * 8));
        two = _mm_unpacklo_epi16(two, _mm_srli_si128(two, 8));
        std::int32_t weightPair;
        std::memcpy(&weightPair, weight + 2 * k, 4);
        sum = _mm_add_epi32(sum, _mm_madd_epi16(two, _mm_set1_epi32(weightPair)));
    }
    const __m128i half = _mm_set1_epi32(1 << (kAcrossWeightBits + kRowFractionBits - 1));
    return _mm_srai_epi32(_mm_add_epi32(sum, half), kAcrossWeightBits + kRowFractionBits);
}

// The combined row shrunk across into the target row, two pixels a step, the fourth byte 0.
// `Pairs` fixes the number of weight pairs for the common shrinks; 0 reads it from `across`.
template <int Pairs>
void combinePixelsAcross(const std::int16_t* in, const AxisWeights& across, std::uint8_t* out) {
    const __m128i colourBytes = _mm_set1_epi32(0x00FFFFFF);
    const int pairs = across.taps / 2;
    const std::size_t targets = across.first.size();
    const std::uint16_t* weight = across.weights.data();
    std::size_t t = 0;
    for (; t + 2 <= targets; t += 2, weight += 2 * across.taps) {
        const __m128i a = sumAcross<Pairs>(in + across.first[t] * 4, weight, pairs);
        const __m128i b =
            sumAcross<Pairs>(in + across.first[t + 1] * 4, weight + across.taps, pairs);
        __m128i bytes = _mm_packs_epi32(a, b);
        bytes = _mm_and_si128(_mm_packus_epi16(bytes, bytes), colourBytes);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + t * 4), bytes);
    }
    if (t < targets) {
        __m128i last = sumAcross<Pairs>(in + across.first[t] * 4, weight, pairs);
        last = _mm_packs_epi32(last, last);
        const std::int32_t bgr =
            _mm_cvtsi128_si32(_mm_and_si128(_mm_packus_epi16(last, last), colourBytes));
        std::memcpy(out + t * 4, &bgr, 4);
    }
}

}  // namespace

int reductionToCover(int width, int height, PictureSize wanted) {
    if (wanted.empty()) return 1;
    for (int reduction : kReductions) {
        if (divideRoundingUp(width, reduction) >= wanted.width &&
            divideRoundingUp(height, reduction) >= wanted.height) {
            return reduction;
        }
    }
    const double halfWidth = divideRoundingUp(width, 2);
    const double halfHeight = divideRoundingUp(height, 2);
    if (halfWidth * kLargestEnlargement >= wanted.width &&
        halfHeight * kLargestEnlargement >= wanted.height) {
        return 2;
    }
    return 1;
}

namespace {

bool coversWithin(PictureSize size, PictureSize wanted, double enlargement) {
    return size.width * enlargement >= wanted.width && size.height * enlargement >= wanted.height;
}

}  // namespace

bool resamplesTo(PictureSize size, PictureSize wanted, bool reduced) {
    if (wanted.empty() || size == wanted) return false;
    return coversWithin(size, wanted, reduced ? kLargestEnlargement : 1.0);
}

std::unique_ptr<Image> resampleImage(const Image& image, PictureSize size) {
    const PictureSize own{image.width(), image.height()};
    if (size.empty() || size == own || !coversWithin(own, size, kLargestEnlargement)) {
        return nullptr;
    }
    try {
        const AxisWeights across = axisWeights(image.width(), size.width, kAcrossWeightBits, true);
        const AxisWeights down = axisWeights(image.height(), size.height, kDownWeightBits, false);
        std::unique_ptr<Image> resampled = Image::create(size.width, size.height);
        if (!resampled) return nullptr;
        // Down first: it runs along whole rows, four pixels a step; across then only has the
        // target's rows to do. The row has zeros after it for the padding weights.
        std::vector<std::int16_t> combined(static_cast<std::size_t>(image.width() + across.taps) *
                                           4);
        std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(down.taps));
        // Shrinks by less than two, the usual ones, have their loops unrolled.
        void (*combineAcross)(const std::int16_t*, const AxisWeights&, std::uint8_t*) =
            combinePixelsAcross<0>;
        if (across.taps == 2) combineAcross = combinePixelsAcross<1>;
        if (across.taps == 4) combineAcross = combinePixelsAcross<2>;
        // Memory rows run bottom-up in both pictures; the spans of a shrink are the same
        // counted from either edge.
        for (int y = 0; y < size.height; ++y) {
            const int first = down.first[static_cast<std::size_t>(y)];
            for (int k = 0; k < down.taps; ++k) {
                // A padding row past the top has weight 0: any row will do.
                rows[static_cast<std::size_t>(k)] =
                    image.row(std::min(first + k, image.height() - 1));
            }
            combineRowsDown(rows.data(), &down.weights[static_cast<std::size_t>(y) * down.taps],
                            down.taps, image.stride(), combined.data());
            combineAcross(combined.data(), across, resampled->row(y));
        }
        return resampled;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace tavrin
