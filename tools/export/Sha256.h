#pragma once

// SHA-256 (FIPS 180-4), for the manifest that lets an investigator check that no exported file
// and no source archive was altered.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrin::exporter {

class Sha256 {
public:
    Sha256();
    void add(const void* bytes, std::size_t count);
    // The same as first.add(firstBytes, ...) and second.add(secondBytes, ...), with the blocks of
    // the two streams compressed together, which takes little longer than one stream alone.
    static void addTogether(Sha256& first, const void* firstBytes, std::size_t firstCount,
                            Sha256& second, const void* secondBytes, std::size_t secondCount);
    // The digest of everything added; the object is spent afterwards.
    std::array<std::uint8_t, 32> finish();
    // The digest as 64 lower-case hexadecimal digits.
    std::string finishHex();

private:
    void compress(const std::uint8_t* blocks, std::size_t count);
    // Moves bytes into the pending block, compressing it once it is full; afterwards either no
    // bytes are pending or none are left.
    void fillPending(const std::uint8_t*& in, std::size_t& count);
    // The whole blocks of what is left, keeping the tail pending (nothing may be pending yet).
    void addWholeBlocksAndKeepTail(const std::uint8_t* in, std::size_t count);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingBytes_ = 0;
    std::uint64_t totalBytes_ = 0;
};

extern const std::uint32_t kSha256RoundConstants[64];

// The compression function over whole 64-byte blocks: in portable code, and with the
// processor's SHA instructions where it has them (several times faster, which decides how long
// hashing a clip takes; false when it has not).
void compressPortable(std::uint32_t* state, const std::uint8_t* blocks, std::size_t count);
bool compressWithShaInstructions(std::uint32_t* state, const std::uint8_t* blocks,
                                 std::size_t count);
// `count` blocks of each of two streams together; false when the processor has no SHA
// instructions.
bool compressPairsWithShaInstructions(std::uint32_t* firstState, const std::uint8_t* first,
                                      std::uint32_t* secondState, const std::uint8_t* second,
                                      std::size_t count);

}  // namespace tavrin::exporter
