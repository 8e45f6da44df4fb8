// SZDD compressed-file format: the LZSS variant that LZ32 expands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace szdd {

constexpr std::size_t kHeaderSize = 14;

struct Header {
    std::uint8_t mode;
    std::uint8_t missingChar;
    std::uint32_t expandedLength;
};

// True when data starts with the 8 magic bytes 53 5A 44 44 88 F0 27 33.
bool HasMagic(const std::uint8_t* data, std::size_t size);

// Fills header when size >= kHeaderSize and the magic matches (any mode byte).
bool ReadHeader(const std::uint8_t* data, std::size_t size, Header& header);

enum class ExpandStatus { Ok, NotSzdd, BadMode, Truncated };

// Expands an SZDD file (header included) into out (replaced). Expands until the input ends, the
// header length being advisory. NotSzdd: no magic or shorter than the header. BadMode: mode != 'A'.
// Truncated: the stream ended inside a match; the bytes before it are in out.
ExpandStatus Expand(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);

// Compresses into a complete SZDD file (mode 'A', missingChar, expanded length) with the smallest
// encoding the format allows: every match the window offers, the pre-filled spaces included,
// lengths 3..18, distances up to 4096, flag bytes counted exactly. Returns an empty vector (no
// valid SZDD file) for inputs longer than the header's 32-bit length can record.
std::vector<std::uint8_t> Compress(const std::uint8_t* data, std::size_t size,
                                   std::uint8_t missingChar = 0);

}  // namespace szdd
