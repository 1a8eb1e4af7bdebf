#pragma once
// Checking many block forms on every core at once.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlenth {

// While one of these stands on a thread, CheckCompressedStream there walks each stream's
// framing at once but leaves its blocks to Finish(), which restores them all into scratch
// space on every core. The library's item records are checked so while the description
// is read: a damaged block is still a read error of that reading, only found at its end.
// The blocks must stay where they are until then. Not copyable; one at a time per thread.
class TBlockChecks {
public:
    TBlockChecks();
    // Without Finish() the blocks left are not checked (reading failed already).
    ~TBlockChecks();
    TBlockChecks(const TBlockChecks&) = delete;
    TBlockChecks& operator=(const TBlockChecks&) = delete;

    // The checks standing on this thread, or null.
    static TBlockChecks* Current();
    void Add(const std::uint8_t* block, std::size_t size);
    // Restores every block added; a block that is no valid block form: EReadError "Stream
    // read error". Stands down either way.
    void Finish();

private:
    struct Block {
        const std::uint8_t* at;
        std::size_t size;
    };
    std::vector<Block> blocks_;
    TBlockChecks* outer_;
};

} // namespace orlenth
