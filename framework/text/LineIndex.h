#pragma once
// Where each display line of a text starts, grown while it is read.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orlenth::text {

// The starts of display lines in order, four bytes a line: a 300 MB novel has about ten
// million lines. Kept in fixed blocks that never move, so that one thread may read the
// lines published so far while another appends: appends take place in one thread at a
// time (the caller orders them), and size() is what readers may see.
class LineIndex {
public:
    // Room for at most `maxLines` lines (a text of n bytes has at most n + 1).
    explicit LineIndex(std::size_t maxLines);

    std::size_t size() const { return size_.load(std::memory_order_acquire); }
    // Line i's start; i below size().
    std::uint32_t operator[](std::size_t i) const {
        return blocks_[i >> kBlockBits][i & kBlockMask];
    }
    // Appends and then publishes the lines. Past the room given: std::length_error.
    void append(const std::uint32_t* starts, std::size_t count);
    // The last of the first `count` lines that starts at or before `offset`; 0 when none.
    std::size_t lineAt(std::uint32_t offset, std::size_t count) const;

private:
    static constexpr unsigned kBlockBits = 12;
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;
    static constexpr std::size_t kBlockMask = kBlockSize - 1;

    std::vector<std::unique_ptr<std::uint32_t[]>> blocks_;
    std::atomic<std::size_t> size_{0};
};

} // namespace orlenth::text
