#pragma once

// Little-endian fields of RIFF chunks, gathered in memory before they go to a file.

#include <cstdint>
#include <string>
#include <vector>

namespace tavrin::exporter {

class RiffBytes {
public:
    void put16(std::uint32_t value) {
        bytes_.push_back(static_cast<std::uint8_t>(value));
        bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void put32(std::uint32_t value) {
        put16(value & 0xFFFF);
        put16(value >> 16);
    }
    void put64(std::uint64_t value) {
        put32(static_cast<std::uint32_t>(value));
        put32(static_cast<std::uint32_t>(value >> 32));
    }
    void putFourCc(const char* code) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(code[i]));
    }
    void putZeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    // Sets four bytes already put.
    void set32(std::size_t offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    void setFourCc(std::size_t offset, const char* code) {
        for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(code[i]);
    }

    std::size_t size() const { return bytes_.size(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    void clear() { bytes_.clear(); }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace tavrin::exporter
