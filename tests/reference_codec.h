#pragma once
// A plain, byte-at-a-time transcription of the codec's steps, kept apart from the fast
// implementation so that the two can be compared on many inputs.

#include <cstdint>
#include <vector>

namespace reference {

std::vector<std::uint8_t> compress(const std::vector<std::uint8_t>& input);
std::vector<std::uint8_t> decompress(const std::vector<std::uint8_t>& block);

} // namespace reference
