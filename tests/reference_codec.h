#pragma once
// A plain, byte-at-a-time transcription of the codec's steps, kept apart from the fast
// implementation so that the two can be compared on many inputs.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace reference {

std::vector<std::uint8_t> compress(const std::vector<std::uint8_t>& input);
std::vector<std::uint8_t> decompress(const std::vector<std::uint8_t>& block);

// The decoder's steps again, for any bytes at all: the block's restored bytes, or nothing
// where the rules refuse the block (a size outside 1..32782, a compressed form shorter than
// its header and first control word, an item or control word cut off, a copy reaching
// before the output's start, output past 32782 bytes). Reads only inside the block.
std::optional<std::vector<std::uint8_t>> decompressChecked(const std::uint8_t* block,
                                                           std::size_t size);

} // namespace reference
