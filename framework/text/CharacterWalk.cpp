#include "framework/text/CharacterWalk.h"

#include "framework/text/GbkDecoder.h"

#include <algorithm>

namespace orlenth::text {

namespace {

// The longest character: a text still arriving is not walked into its last few bytes.
constexpr std::size_t kLongestCharacter = 4;

} // namespace

template <typename Done>
TCharacterWalk::Outcome TCharacterWalk::Walk(std::string_view text, bool complete,
                                             std::size_t budgetBytes, Done done) {
    const GbkDecoder& decoder = GbkDecoder::instance();
    const std::size_t size = text.size();
    const std::size_t safeEnd =
        complete ? size : (size >= kLongestCharacter ? size - kLongestCharacter + 1 : 0);
    const std::size_t budget = std::max<std::size_t>(budgetBytes, 1);
    const std::size_t stop =
        offset_ < safeEnd && budget < safeEnd - offset_ ? offset_ + budget : safeEnd;
    const char* const begin = text.data();
    const char* const end = begin + size;
    while (!done()) {
        if (offset_ >= safeEnd) return complete ? Outcome::Ended : Outcome::Waiting;
        if (offset_ >= stop) return Outcome::Paused;
        const char* p = begin + offset_;
        // Plain ASCII runs, the common case of Latin text and line breaks, go a byte a step
        // without the decoder's table.
        if (static_cast<unsigned char>(*p) < 0x80) {
            offset_ += 1;
        } else {
            offset_ += decoder.next(p, end).length;
        }
        ++characters_;
    }
    return Outcome::Reached;
}

TCharacterWalk::Outcome TCharacterWalk::ToCharacter(std::string_view text, bool complete,
                                                    std::uint64_t characters,
                                                    std::size_t budgetBytes) {
    return Walk(text, complete, budgetBytes, [&] { return characters_ >= characters; });
}

TCharacterWalk::Outcome TCharacterWalk::ToOffset(std::string_view text, bool complete,
                                                 std::size_t offset, std::size_t budgetBytes) {
    const GbkDecoder& decoder = GbkDecoder::instance();
    const char* const end = text.data() + text.size();
    // Done at the offset, or at the start of the character that holds it.
    return Walk(text, complete, budgetBytes, [&] {
        if (offset_ >= offset) return true;
        if (offset_ >= text.size()) return false;
        const char* p = text.data() + offset_;
        const std::size_t length =
            static_cast<unsigned char>(*p) < 0x80 ? 1 : decoder.next(p, end).length;
        return offset_ + length > offset;
    });
}

} // namespace orlenth::text
