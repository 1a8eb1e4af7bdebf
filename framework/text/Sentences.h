#pragma once
// A GB18030 text cut into the sentences that reading aloud says one at a time: a sentence
// ends after 。！？ (or ! ?), with the closing quotes and brackets and further marks that
// follow it (。」, ？！), or at the end of its line. Blanks (ASCII spaces and tabs, U+3000,
// line breaks) between sentences belong to none, and a line of blanks is no sentence.
// Characters are reckoned as GbkDecoder reckons them, so a sentence never starts or ends
// inside one.

#include <cstddef>
#include <optional>
#include <string_view>

namespace orlenth::text {

struct TSentence {
    std::size_t offset = 0;
    std::size_t length = 0;
    bool operator==(const TSentence&) const = default;
};

// A voice chokes on a paragraph without a stop: past this many bytes a sentence ends at
// the last character start that fits.
inline constexpr std::size_t kMaxSentenceBytes = 600;

// The first sentence that starts at or after `from` (an offset inside a character counts
// from that character's start as found walking forward from `from`'s line). While the
// text is still arriving (`complete` false) a sentence whose end has not arrived yet is
// not given: nothing until more text comes. At the end: nothing.
std::optional<TSentence> NextSentence(std::string_view text, std::size_t from,
                                      bool complete = true);

} // namespace orlenth::text
