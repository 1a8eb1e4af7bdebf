// The find bar's search over any bytes: a session stepped with a small budget finds what one
// unbudgeted wrapping search finds, the hit's number from HitsBefore is the number of hits
// before it one at a time, and the words 查找全部 shows around it hold the hit (its tabs
// and line ends as spaces) and no more than twenty characters either side.
//
// Input: four bytes, then the pattern, then the text. Byte 0: the pattern's length in bytes
// (up to 16), read as GB18030. Byte 1: bit 0 searches backwards. Byte 2: the budget less
// one. Byte 3: where the search starts, in 255ths of the text.

#include "FuzzTarget.h"

#include "app/FindAllSearch.h"
#include "app/SearchSession.h"
#include "framework/text/TextEncoding.h"

#include <atomic>
#include <string_view>

namespace {

using namespace orlenth;

std::size_t HitsOneByOne(std::string_view text, std::size_t before,
                         const text::TSearchPattern& pattern) {
    std::size_t n = 0;
    for (std::size_t from = 0;;) {
        const text::TSearchStep step = text::FindNext(text, from, pattern);
        if (step.outcome != text::TSearchStep::Outcome::Found || step.hit.offset >= before)
            return n;
        ++n;
        from = step.hit.offset + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::size_t patternBytes = std::min<std::size_t>(data[0] % 17, size - 4);
    const bool backwards = (data[1] & 1) != 0;
    const std::size_t budget = std::size_t{data[2]} + 1;
    const std::string_view input(reinterpret_cast<const char*>(data) + 4, size - 4);
    const std::string_view typed = input.substr(0, patternBytes);
    const std::string_view text = input.substr(patternBytes);
    const std::size_t from = text.size() * data[3] / 255;

    TSearchSession session;
    session.SetPattern(DisplayTextToUnicode(typed));
    const auto direction =
        backwards ? TSearchSession::Direction::Previous : TSearchSession::Direction::Next;
    session.Begin(direction, from);
    TSearchSession::Status status = TSearchSession::Status::Searching;
    for (std::size_t steps = 0; status == TSearchSession::Status::Searching; ++steps) {
        if (steps > 4 * (text.size() + 2)) FuzzFailure("the session never ends");
        status = session.Advance(text, true, budget);
    }
    const std::optional<text::TWrappedHit> whole =
        backwards ? text::FindPreviousWrapping(text, from, session.Pattern())
                  : text::FindNextWrapping(text, from, session.Pattern());
    if ((status == TSearchSession::Status::Found) != whole.has_value())
        FuzzFailure("the session and one unbudgeted search disagree on finding a hit");
    if (!whole) return 0;
    if (!(session.Hit() == whole->hit) || session.Wrapped() != whole->wrapped)
        FuzzFailure("the session's hit is not the unbudgeted search's");

    const std::atomic<bool> no{false};
    const std::optional<std::size_t> before =
        HitsBefore(text, session.Hit().offset, session.Pattern(), no);
    if (before != HitsOneByOne(text, session.Hit().offset, session.Pattern()))
        FuzzFailure("HitsBefore differs from counting the hits one at a time");

    const QString context = HitContext(text, session.Hit());
    // The context is one line: a tab, CR or LF in it (in the hit too) shows as a space.
    QString found = DisplayTextToUnicode(text.substr(session.Hit().offset, session.Hit().length));
    for (QChar& c : found)
        if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
    const qsizetype open =
        context.indexOf(QString::fromUtf8("【") + found + QString::fromUtf8("】"));
    if (open < 0) FuzzFailure("the context does not hold the hit in brackets");
    if (open > 20 || context.size() - open - found.size() - 2 > 20)
        FuzzFailure("the context holds more than twenty characters on a side");
    return 0;
}
