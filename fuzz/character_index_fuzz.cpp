// The screen reader's character index against the text decoded whole. The first byte sets
// the step budget and how often lines are cut; lines come a few at a time, as a wrap in the
// background gives them. Every step's text adds up to the whole text; every range reads
// as the same range of the whole text; offsets and bytes map both ways; and the lines a
// reader walks tile the text in order, each holding the offset it was asked for.

#include "FuzzTarget.h"

#include "framework/text/CharacterIndex.h"
#include "framework/text/GbkDecoder.h"

#include <QString>

#include <algorithm>

#include <string>
#include <string_view>
#include <vector>

namespace {

using orlenth::text::CharacterIndex;
using orlenth::text::GbkChar;
using orlenth::text::GbkDecoder;

class Lines : public orlenth::text::LineSource {
public:
    Lines(std::string_view text, std::vector<std::uint32_t> starts)
        : text_(text), starts_(std::move(starts)) {}
    std::size_t lineCount() override { return shown; }
    bool complete() override { return shown == starts_.size(); }
    std::uint32_t lineStart(std::size_t i) override { return starts_.at(i); }
    std::uint32_t textEnd() override { return static_cast<std::uint32_t>(text_.size()); }
    std::string_view bytes(std::uint32_t from, std::uint32_t to) override {
        const std::size_t limit = complete() ? text_.size() : starts_.at(shown - 1);
        if (from > to || to > limit) FuzzFailure("bytes asked beyond the lines so far");
        return text_.substr(from, to - from);
    }
    std::size_t shown = 0;

private:
    std::string_view text_;
    std::vector<std::uint32_t> starts_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t budget = 1 + static_cast<std::size_t>(data[0] & 0x1F) * 7;
    const std::size_t every = 1 + static_cast<std::size_t>(data[0] >> 5) * 9;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    // The whole text as the decoder reads it, and lines cut after breaks and every few
    // characters.
    const GbkDecoder& decoder = GbkDecoder::instance();
    std::u32string chars;
    std::vector<std::uint32_t> starts{0};
    std::size_t since = 0;
    for (const char* p = text.data(); p < text.data() + text.size();) {
        const GbkChar c = decoder.next(p, text.data() + text.size());
        chars += c.codePoint;
        p += c.length;
        const auto at = static_cast<std::uint32_t>(p - text.data());
        if ((c.codePoint == '\n' || c.codePoint == '\r' || ++since >= every) && at < text.size()) {
            starts.push_back(at);
            since = 0;
        }
    }
    const QString whole = QString::fromUcs4(chars.data(), static_cast<qsizetype>(chars.size()));

    Lines lines(text, starts);
    CharacterIndex index(lines);
    QString told;
    for (lines.shown = 1;; lines.shown = std::min(starts.size(), lines.shown + 3)) {
        for (int steps = 0; !index.caughtUp(); ++steps) {
            if (steps > 100000) FuzzFailure("counting does not end");
            told += index.extend(budget);
        }
        if (lines.shown == starts.size()) break;
    }
    if (told != whole || index.count() != whole.size()) FuzzFailure("the steps miss the text");

    const int count = index.count();
    for (int from = 0; from <= count; from += 1 + count / 40)
        for (int to = from; to <= count; to += 1 + count / 13)
            if (index.text(from, to) != whole.mid(from, to - from))
                FuzzFailure("a range reads otherwise than the text");
    for (int u = 0; u <= count; ++u) {
        const int back = index.unitsBefore(index.byteOf(u));
        if (back != u && !(back == u - 1 && whole.at(u - 1).isHighSurrogate()))
            FuzzFailure("an offset and its byte disagree");
    }
    // Lines as a reader walks them: one after the other, each holding its offset.
    for (int at = 0; at < count;) {
        const CharacterIndex::Span line = index.lineAt(at);
        if (line.start != at || line.end <= at || index.lineAt(line.end - 1).start != at)
            FuzzFailure("the lines do not tile the text");
        at = line.end;
    }
    return 0;
}
