#include "tools/export/Sha256.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>
#define TAVRIN_SHA_INSTRUCTIONS 1
#endif

namespace tavrin::exporter {

#ifdef TAVRIN_SHA_INSTRUCTIONS

namespace {

bool askProcessorForSha() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const bool ssse3 = (c & (1u << 9)) != 0;
    const bool sse41 = (c & (1u << 19)) != 0;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
    return ssse3 && sse41 && (b & (1u << 29)) != 0;
}

bool processorHasSha() {
    static const bool available = askProcessorForSha();
    return available;
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

TAVRIN_SHA_TARGET __m128i messageWords(const std::uint8_t* block, int quarter) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * quarter)),
                            byteSwap);
}

// A stream's state and the sixteen message words of its block in hand, in four named registers
// written out in turn so they stay in registers.
struct Lane {
    __m128i abef, cdgh;
    __m128i w0, w1, w2, w3;
};

TAVRIN_SHA_TARGET void startBlock(Lane& lane, const std::uint8_t* block) {
    lane.w0 = messageWords(block, 0);
    lane.w1 = messageWords(block, 1);
    lane.w2 = messageWords(block, 2);
    lane.w3 = messageWords(block, 3);
}

// Rounds 16 * part to 16 * part + 15 of one block of each of two streams. Each round waits on
// the one before it, so the other stream's rounds, written in between, fill the wait: two
// streams take little longer than one.
TAVRIN_SHA_TARGET void sixteenRounds(Lane& a, Lane& b, int part) {
    const int group = 4 * part;
    if (part > 0) {
        a.w0 = nextWords(a.w0, a.w1, a.w2, a.w3);
        b.w0 = nextWords(b.w0, b.w1, b.w2, b.w3);
    }
    fourRounds(a.abef, a.cdgh, a.w0, group);
    fourRounds(b.abef, b.cdgh, b.w0, group);
    if (part > 0) {
        a.w1 = nextWords(a.w1, a.w2, a.w3, a.w0);
        b.w1 = nextWords(b.w1, b.w2, b.w3, b.w0);
    }
    fourRounds(a.abef, a.cdgh, a.w1, group + 1);
    fourRounds(b.abef, b.cdgh, b.w1, group + 1);
    if (part > 0) {
        a.w2 = nextWords(a.w2, a.w3, a.w0, a.w1);
        b.w2 = nextWords(b.w2, b.w3, b.w0, b.w1);
    }
    fourRounds(a.abef, a.cdgh, a.w2, group + 2);
    fourRounds(b.abef, b.cdgh, b.w2, group + 2);
    if (part > 0) {
        a.w3 = nextWords(a.w3, a.w0, a.w1, a.w2);
        b.w3 = nextWords(b.w3, b.w0, b.w1, b.w2);
    }
    fourRounds(a.abef, a.cdgh, a.w3, group + 3);
    fourRounds(b.abef, b.cdgh, b.w3, group + 3);
}

TAVRIN_SHA_TARGET void loadState(Lane& lane, const std::uint32_t* state) {
    __m128i abcd = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
    __m128i efgh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
    abcd = _mm_shuffle_epi32(abcd, 0xB1);  // C D A B
    efgh = _mm_shuffle_epi32(efgh, 0x1B);  // H G F E
    lane.abef = _mm_alignr_epi8(abcd, efgh, 8);
    lane.cdgh = _mm_blend_epi16(efgh, abcd, 0xF0);
}

TAVRIN_SHA_TARGET void storeState(const Lane& lane, std::uint32_t* state) {
    const __m128i feba = _mm_shuffle_epi32(lane.abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(lane.cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

__attribute__((target("sha,sse4.1,ssse3"))) void compressBlocks(std::uint32_t* state,
                                                                const std::uint8_t* data,
                                                                std::size_t count) {
    Lane lane;
    loadState(lane, state);
    for (; count > 0; --count, data += 64) {
        const __m128i abefSaved = lane.abef;
        const __m128i cdghSaved = lane.cdgh;
        startBlock(lane, data);
        fourRounds(lane.abef, lane.cdgh, lane.w0, 0);
        fourRounds(lane.abef, lane.cdgh, lane.w1, 1);
        fourRounds(lane.abef, lane.cdgh, lane.w2, 2);
        fourRounds(lane.abef, lane.cdgh, lane.w3, 3);
        for (int group = 4; group < 16; group += 4) {
            lane.w0 = nextWords(lane.w0, lane.w1, lane.w2, lane.w3);
            fourRounds(lane.abef, lane.cdgh, lane.w0, group);
            lane.w1 = nextWords(lane.w1, lane.w2, lane.w3, lane.w0);
            fourRounds(lane.abef, lane.cdgh, lane.w1, group + 1);
            lane.w2 = nextWords(lane.w2, lane.w3, lane.w0, lane.w1);
            fourRounds(lane.abef, lane.cdgh, lane.w2, group + 2);
            lane.w3 = nextWords(lane.w3, lane.w0, lane.w1, lane.w2);
            fourRounds(lane.abef, lane.cdgh, lane.w3, group + 3);
        }
        lane.abef = _mm_add_epi32(lane.abef, abefSaved);
        lane.cdgh = _mm_add_epi32(lane.cdgh, cdghSaved);
    }
    storeState(lane, state);
}

__attribute__((target("sha,sse4.1,ssse3"))) void compressBlockPairs(std::uint32_t* firstState,
                                                                    const std::uint8_t* first,
                                                                    std::uint32_t* secondState,
                                                                    const std::uint8_t* second,
                                                                    std::size_t count) {
    Lane a, b;
    loadState(a, firstState);
    loadState(b, secondState);
    for (; count > 0; --count, first += 64, second += 64) {
        const Lane aSaved = a;
        const Lane bSaved = b;
        startBlock(a, first);
        startBlock(b, second);
        for (int part = 0; part < 4; ++part) sixteenRounds(a, b, part);
        a.abef = _mm_add_epi32(a.abef, aSaved.abef);
        a.cdgh = _mm_add_epi32(a.cdgh, aSaved.cdgh);
        b.abef = _mm_add_epi32(b.abef, bSaved.abef);
        b.cdgh = _mm_add_epi32(b.cdgh, bSaved.cdgh);
    }
    storeState(a, firstState);
    storeState(b, secondState);
}

#undef TAVRIN_SHA_TARGET

}  // namespace

bool compressWithShaInstructions(std::uint32_t* state, const std::uint8_t* blocks,
                                 std::size_t count) {
    if (!processorHasSha()) return false;
    compressBlocks(state, blocks, count);
    return true;
}

bool compressPairsWithShaInstructions(std::uint32_t* firstState, const std::uint8_t* first,
                                      std::uint32_t* secondState, const std::uint8_t* second,
                                      std::size_t count) {
    if (!processorHasSha()) return false;
    compressBlockPairs(firstState, first, secondState, second, count);
    return true;
}

#else

bool compressWithShaInstructions(std::uint32_t*, const std::uint8_t*, std::size_t) { return false; }

bool compressPairsWithShaInstructions(std::uint32_t*, const std::uint8_t*, std::uint32_t*,
                                      const std::uint8_t*, std::size_t) {
    return false;
}

#endif

}  // namespace tavrin::exporter
