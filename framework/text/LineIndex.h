#pragma once
// Where each display line of a text starts, grown while it is read.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orlenth::text {

// The starts of display lines in ascending order. A text of n bytes may have n + 1 lines
// (500 MB of line breaks: 500 million), so four bytes a line would cost up to four times
// the text. Lines are kept in blocks of kBlockSize, each packed in the cheapest of these
// forms once it is full:
// - a pattern: the gaps between starts repeat with a period of up to kMaxPeriod lines (runs
//   of empty lines, CR LF pairs, alternating empty and short lines, a long line wrapped
//   into equal pieces): a few bytes for the whole block;
// - gaps of 4 or 8 bits, a gap that does not fit being kept apart in full, with the exact
//   offset every kCheckLines lines so that a line is a short sum away;
// - plain 32-bit starts.
// The block being filled is kept plain. One thread appends at a time (the caller orders
// appends) while others read the lines published so far: size() is what readers may see,
// and a line read while its block is being packed is read again from the packed block.
class LineIndex {
public:
    static constexpr unsigned kBlockBits = 14;
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;
    static constexpr unsigned kCheckBits = 6;
    static constexpr std::size_t kCheckLines = std::size_t{1} << kCheckBits;
    static constexpr std::size_t kMaxPeriod = 16;

    // How a full block is kept (for tests and measurements).
    enum class Kind : std::uint8_t { Pattern, Gaps4, Gaps8, Plain };

    // Room for at most `maxLines` lines (a text of n bytes has at most n + 1).
    explicit LineIndex(std::size_t maxLines);
    ~LineIndex();
    LineIndex(const LineIndex&) = delete;
    LineIndex& operator=(const LineIndex&) = delete;

    std::size_t size() const { return size_.load(std::memory_order_acquire); }
    // Line i's start; i below size().
    std::uint32_t operator[](std::size_t i) const;
    // Appends and then publishes the lines; each start lies after the one before it.
    // Past the room given: std::length_error, and nothing is appended.
    void append(const std::uint32_t* starts, std::size_t count);
    // The last of the first `count` lines (count at most size()) that starts at or before
    // `offset`; 0 when none.
    std::size_t lineAt(std::uint32_t offset, std::size_t count) const;

    // The form of full block b (b below size() / kBlockSize); appending thread or after it.
    Kind kindOf(std::size_t block) const { return blocks_[block].kind; }
    // Bytes held for the lines, the block being filled included.
    std::size_t memoryBytes() const;

private:
    struct Block {
        std::unique_ptr<std::uint32_t[]> data; // the form's layout, see LineIndex.cpp
        std::uint32_t base = 0;                // the block's first start
        Kind kind = Kind::Plain;
        std::uint8_t period = 0; // Pattern
        std::uint32_t words = 0; // size of data, for memoryBytes
    };

    static std::uint32_t startIn(const Block& b, std::size_t k);
    void seal();
    // The first line of the lines [from, to) of block b that starts after `offset`.
    std::size_t firstAfter(std::size_t from, std::size_t to, std::uint32_t offset) const;

    std::vector<Block> blocks_;                          // full blocks below full_; never resized
    std::unique_ptr<std::atomic<std::uint32_t>[]> open_; // the block being filled
    std::atomic<std::size_t> full_{0};
    std::atomic<std::size_t> size_{0};
};

} // namespace orlenth::text
