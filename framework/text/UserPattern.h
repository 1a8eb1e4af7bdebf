#pragma once
// A reader's own regular expression (a chapter rule's): the syntax and meaning it has always
// had (PCRE2 over UTF-16, Unicode mode, \d and \w ASCII as before), matched one line at a
// time at a bounded cost, so that no pattern and no line can keep a thread busy for long.
//
// The bound: at most kMatchLimit backtracking steps from each place in the line where a
// match may start, and a line is tried only when it is short (a heading's line is at most
// kMaxHeadingLineBytes bytes, so at most that many places); a match that would need more
// gives up, and the caller counts the line as not matching. Memory is bounded the same way
// (the matcher's stack and heap). Measured with the compiled matcher, a line that gives up
// costs well under a millisecond, and the worst a line can cost is a few tens of them.

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orlenth::text {

class UserPattern {
public:
    // Longer patterns are refused (16-bit units): a heading is a short line, and a
    // pattern's compiling must stay cheap wherever it is typed.
    static constexpr qsizetype kMaxLength = 1000;
    // Backtracking steps from one starting place (the compiled matcher's count); the
    // interpreter, used when a pattern cannot be compiled to machine code or says
    // "(*NO_JIT)", counts finer and runs slower, and gets kInterpretedMatchLimit. A pattern's
    // own "(*LIMIT_MATCH=…)" and the like can only lower these.
    static constexpr std::uint32_t kMatchLimit = 10'000;
    static constexpr std::uint32_t kInterpretedMatchLimit = 1'000;

    enum class Result : std::uint8_t { NoMatch, Match, GaveUp };

    // Compiles `pattern`. An empty pattern is invalid, as is one that PCRE2 refuses or one
    // longer than kMaxLength.
    explicit UserPattern(const QString& pattern);
    ~UserPattern();
    UserPattern(UserPattern&&) noexcept;
    UserPattern& operator=(UserPattern&&) noexcept;

    bool IsValid() const { return state_ != nullptr; }
    // For an invalid pattern: what is wrong, in PCRE2's words, and the 0-based offset in the
    // pattern where it was found (-1 when it is not one place: empty, too long).
    const QString& ErrorString() const { return error_; }
    qsizetype ErrorOffset() const { return errorOffset_; }

    // Whether `subject` holds a match anywhere (unanchored; "^" is its start). Invalid
    // UTF-16 never matches a character. An invalid pattern matches nothing. One thread at a
    // time: a thread of its own needs a pattern of its own.
    Result Match(QStringView subject);

    // Only checks that `pattern` compiles, without preparing to match: cheap enough for a
    // window's thread at every key. Gives what ErrorString and ErrorOffset would.
    static bool Check(const QString& pattern, QString* error = nullptr,
                      qsizetype* errorOffset = nullptr);

private:
    struct State;
    std::unique_ptr<State> state_;
    QString error_;
    qsizetype errorOffset_ = -1;
};

} // namespace orlenth::text
