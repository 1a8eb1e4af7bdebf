#pragma once
// Where the n-th character of a GB18030 text starts, and how many characters lie before an
// offset: the measure that stays the same when one file is read again in another encoding
// and its bytes for the page change. Characters are reckoned as GbkDecoder reckons them
// (every byte belongs to exactly one character).
//
// A walk goes in budgeted steps over a text that may still be arriving, so that a place a
// quarter of a gigabyte in costs the window's thread a few milliseconds a step, never a
// frozen frame.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orlenth::text {

class TCharacterWalk {
public:
    enum class Outcome {
        Reached, // the target is behind: Offset() and Characters() say where it is
        Paused,  // the budget ran out first: call again
        Waiting, // the bytes known so far ran out before the target: call again with more
        Ended,   // the whole text is shorter than the target: the walk stands at its end
    };

    // Walks on until `characters` characters lie behind. `text` is the whole text known so
    // far, starting where the walk started (the same bytes every call, perhaps more of
    // them); `complete` says no more will come. While the text is incomplete, the last
    // three bytes are not walked over, as they may start a character cut by the bytes still
    // to come. Looks at about `budgetBytes` bytes (at least one character) per call.
    Outcome ToCharacter(std::string_view text, bool complete, std::uint64_t characters,
                        std::size_t budgetBytes = SIZE_MAX);
    // Walks on until the character holding byte `offset` is reached (a walk never stops
    // inside a character: an offset inside one stops at its start). Offsets past the text
    // stop at its end: Ended when complete, Waiting when not.
    Outcome ToOffset(std::string_view text, bool complete, std::size_t offset,
                     std::size_t budgetBytes = SIZE_MAX);

    std::size_t Offset() const { return offset_; }
    std::uint64_t Characters() const { return characters_; }

private:
    template <typename Done>
    Outcome Walk(std::string_view text, bool complete, std::size_t budgetBytes, Done done);

    std::size_t offset_ = 0;
    std::uint64_t characters_ = 0;
};

} // namespace orlenth::text
