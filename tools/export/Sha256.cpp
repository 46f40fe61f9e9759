#include "tools/export/Sha256.h"

#include <algorithm>
#include <cstring>

namespace tavrin::exporter {

const std::uint32_t kSha256RoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

namespace {

constexpr std::uint32_t rotateRight(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

void compressBlock(std::uint32_t* state, const std::uint8_t* block) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i) w[i] = bigEndian32(block + 4 * i);
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 =
            rotateRight(w[i - 15], 7) ^ rotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 =
            rotateRight(w[i - 2], 17) ^ rotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t s1 = rotateRight(e, 6) ^ rotateRight(e, 11) ^ rotateRight(e, 25);
        const std::uint32_t choice = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + s1 + choice + kSha256RoundConstants[i] + w[i];
        const std::uint32_t s0 = rotateRight(a, 2) ^ rotateRight(a, 13) ^ rotateRight(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = s0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

}  // namespace

void compressPortable(std::uint32_t* state, const std::uint8_t* blocks, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) compressBlock(state, blocks + 64 * i);
}

Sha256::Sha256()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256::compress(const std::uint8_t* blocks, std::size_t count) {
    if (!compressWithShaInstructions(state_.data(), blocks, count)) {
        compressPortable(state_.data(), blocks, count);
    }
}

void Sha256::fillPending(const std::uint8_t*& in, std::size_t& count) {
    if (pendingBytes_ == 0) return;
    const std::size_t take = std::min(count, pending_.size() - pendingBytes_);
    std::memcpy(pending_.data() + pendingBytes_, in, take);
    pendingBytes_ += take;
    in += take;
    count -= take;
    if (pendingBytes_ < pending_.size()) return;
    compress(pending_.data(), 1);
    pendingBytes_ = 0;
}

void Sha256::addWholeBlocksAndKeepTail(const std::uint8_t* in, std::size_t count) {
    const std::size_t whole = count / 64;
    if (whole > 0) compress(in, whole);
    in += whole * 64;
    count -= whole * 64;
    std::memcpy(pending_.data() + pendingBytes_, in, count);
    pendingBytes_ += count;
}

void Sha256::add(const void* bytes, std::size_t count) {
    const auto* in = static_cast<const std::uint8_t*>(bytes);
    totalBytes_ += count;
    fillPending(in, count);
    if (count > 0) addWholeBlocksAndKeepTail(in, count);
}

void Sha256::addTogether(Sha256& first, const void* firstBytes, std::size_t firstCount,
                         Sha256& second, const void* secondBytes, std::size_t secondCount) {
    const auto* a = static_cast<const std::uint8_t*>(firstBytes);
    const auto* b = static_cast<const std::uint8_t*>(secondBytes);
    first.totalBytes_ += firstCount;
    second.totalBytes_ += secondCount;
    first.fillPending(a, firstCount);
    second.fillPending(b, secondCount);
    if (first.pendingBytes_ == 0 && second.pendingBytes_ == 0) {
        const std::size_t together = std::min(firstCount, secondCount) / 64;
        if (together > 0 && !compressPairsWithShaInstructions(first.state_.data(), a,
                                                              second.state_.data(), b, together)) {
            first.compress(a, together);
            second.compress(b, together);
        }
        a += together * 64;
        b += together * 64;
        firstCount -= together * 64;
        secondCount -= together * 64;
    }
    if (firstCount > 0) first.addWholeBlocksAndKeepTail(a, firstCount);
    if (secondCount > 0) second.addWholeBlocksAndKeepTail(b, secondCount);
}

std::array<std::uint8_t, 32> Sha256::finish() {
    const std::uint64_t bits = totalBytes_ * 8;
    std::uint8_t tail[72] = {0x80};
    // Pad to 56 bytes past a block boundary, then the length in bits, big-endian.
    const std::size_t padding = (pendingBytes_ < 56 ? 56 : 120) - pendingBytes_;
    std::uint8_t length[8];
    for (int i = 0; i < 8; ++i) length[i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    add(tail, padding);
    add(length, sizeof length);
    std::array<std::uint8_t, 32> digest{};
    for (int i = 0; i < 8; ++i) {
        for (int k = 0; k < 4; ++k) {
            digest[static_cast<std::size_t>(4 * i + k)] =
                static_cast<std::uint8_t>(state_[static_cast<std::size_t>(i)] >> (24 - 8 * k));
        }
    }
    return digest;
}

std::string Sha256::finishHex() {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : finish()) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

}  // namespace tavrin::exporter
