#include "tools/export/Sha256.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>
#define TAVRIN_SHA_INSTRUCTIONS 1
#endif

namespace tavrin::exporter {

#ifdef TAVRIN_SHA_INSTRUCTIONS

namespace {

bool processorHasSha() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const bool ssse3 = (c & (1u << 9)) != 0;
    const bool sse41 = (c & (1u << 19)) != 0;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
    return ssse3 && sse41 && (b & (1u << 29)) != 0;
}

#define TAVRIN_SHA_TARGET __attribute__((target("sha,sse4.1,ssse3"), always_inline)) inline

// Four rounds with message words w(4g .. 4g + 3). The instructions work on the state split as
// (A, B, E, F) and (C, D, G, H), two rounds per instruction.
TAVRIN_SHA_TARGET void fourRounds(__m128i& abef, __m128i& cdgh, __m128i words, int group) {
    __m128i message = _mm_add_epi32(
        words,
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSha256RoundConstants + 4 * group)));
    cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
    message = _mm_shuffle_epi32(message, 0x0E);
    abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
}

// The next four message words from the sixteen before them: w(i-16 .. i-13) in `a`, then `b`,
// `c`, and w(i-4 .. i-1) in `d`.
TAVRIN_SHA_TARGET __m128i nextWords(__m128i a, __m128i b, __m128i c, __m128i d) {
    const __m128i partial = _mm_add_epi32(_mm_sha256msg1_epu32(a, b), _mm_alignr_epi8(d, c, 4));
    return _mm_sha256msg2_epu32(partial, d);
}

__attribute__((target("sha,sse4.1,ssse3"))) void compressBlocks(std::uint32_t* state,
                                                                const std::uint8_t* data,
                                                                std::size_t count) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i abcd = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
    __m128i efgh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
    abcd = _mm_shuffle_epi32(abcd, 0xB1);              // C D A B
    efgh = _mm_shuffle_epi32(efgh, 0x1B);              // H G F E
    __m128i abef = _mm_alignr_epi8(abcd, efgh, 8);     // A B E F
    __m128i cdgh = _mm_blend_epi16(efgh, abcd, 0xF0);  // C D G H

    for (; count > 0; --count, data += 64) {
        const __m128i abefSaved = abef;
        const __m128i cdghSaved = cdgh;
        // Four named registers, written out in turn so they stay in registers.
        __m128i w0 =
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data)), byteSwap);
        __m128i w1 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16)),
                                      byteSwap);
        __m128i w2 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 32)),
                                      byteSwap);
        __m128i w3 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 48)),
                                      byteSwap);
        fourRounds(abef, cdgh, w0, 0);
        fourRounds(abef, cdgh, w1, 1);
        fourRounds(abef, cdgh, w2, 2);
        fourRounds(abef, cdgh, w3, 3);
        for (int group = 4; group < 16; group += 4) {
            w0 = nextWords(w0, w1, w2, w3);
            fourRounds(abef, cdgh, w0, group);
            w1 = nextWords(w1, w2, w3, w0);
            fourRounds(abef, cdgh, w1, group + 1);
            w2 = nextWords(w2, w3, w0, w1);
            fourRounds(abef, cdgh, w2, group + 2);
            w3 = nextWords(w3, w0, w1, w2);
            fourRounds(abef, cdgh, w3, group + 3);
        }
        abef = _mm_add_epi32(abef, abefSaved);
        cdgh = _mm_add_epi32(cdgh, cdghSaved);
    }

    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

#undef TAVRIN_SHA_TARGET

}  // namespace

bool compressWithShaInstructions(std::uint32_t* state, const std::uint8_t* blocks,
                                 std::size_t count) {
    static const bool available = processorHasSha();
    if (!available) return false;
    compressBlocks(state, blocks, count);
    return true;
}

#else

bool compressWithShaInstructions(std::uint32_t*, const std::uint8_t*, std::size_t) { return false; }

#endif

}  // namespace tavrin::exporter
