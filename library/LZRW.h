#pragma once
// The LZRW1-KH block codec: one block of at most 32781 input bytes to its block form and
// back. The byte format is described in docs/codec.md.

#include <array>
#include <cstddef>
#include <cstdint>

namespace orlenth {

// Largest input of one block, and the size of a block buffer: one more, so that the
// stored form (header byte + input) of a full block fits.
inline constexpr std::uint16_t kLZRWMaxInput = 32781;
inline constexpr std::size_t kLZRWBufferSize = 32782;

using TLZRWBuffer = std::array<std::uint8_t, kLZRWBufferSize>;

// Writes the block form of source[0 .. size-1] into destination and returns its length:
// at most size for the compressed form, size + 1 for the stored form. Deterministic: the
// output is part of the stored format. Reads nothing of source at or past size and writes
// only destination[0 .. size], whatever the result.
// A size above kLZRWMaxInput is a caller's error: EInvalidPointer "LZRW Error!", and the
// destination is left untouched.
std::uint16_t WJKLZRWCompress(const TLZRWBuffer& source, TLZRWBuffer& destination,
                              std::uint16_t size);

// Restores one block form of `size` bytes held in source and returns the number of bytes
// written to destination. Trusts nothing: a size outside 1..32782, a compressed form
// shorter than its 3-byte head, an item cut off by the end of the block, a copy reaching
// before the start of the output, or output that would not fit the destination buffer is
// EReadError "Stream read error". Never reads source at or past size, never writes
// destination past the buffer; on error the destination's content is unspecified.
std::uint16_t WJKLZRWDecompress(const TLZRWBuffer& source, TLZRWBuffer& destination,
                                std::uint16_t size);

// The same two operations on plain pointers, for callers that hold the bytes elsewhere.
// Compress: src holds n <= kLZRWMaxInput bytes, dst has room for n + 1 bytes; returns the
// block length. Decompress: returns the restored length, or -1 for a corrupt block; it
// reads only src[0 .. size-1] and writes only dst[0 .. dstCapacity-1].
std::size_t LZRWCompressBlock(const std::uint8_t* src, std::size_t n, std::uint8_t* dst);
std::ptrdiff_t LZRWDecompressBlock(const std::uint8_t* src, std::size_t size, std::uint8_t* dst,
                                   std::size_t dstCapacity);

} // namespace orlenth
