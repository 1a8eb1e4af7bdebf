#pragma once
// A GBK text as screen readers count it: in UTF-16 units, the offsets they ask with. The
// reading page may hold a 300 MB novel still arriving and still being wrapped, so nothing
// here copies the whole text or waits for lines: characters are counted from the stored
// bytes in bounded steps, as far as the wrapped lines reach, and a sparse table of marks
// turns an offset into a byte (and back) with a walk of at most kMarkBytes.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace orlenth::text {

// The display lines and the bytes they cover, as far as they are known now. No call waits.
class LineSource {
public:
    virtual ~LineSource() = default;
    // The display lines wrapped so far; all of them once complete().
    virtual std::size_t lineCount() = 0;
    // Whether the text has arrived and every line of it is wrapped.
    virtual bool complete() = 0;
    // Where line i (below lineCount()) starts: ascending, the first 0.
    virtual std::uint32_t lineStart(std::size_t i) = 0;
    // The text's length; asked only once complete().
    virtual std::uint32_t textEnd() = 0;
    // The bytes [from, to), which lie below the start of the last line so far, or below
    // textEnd() once complete().
    virtual std::string_view bytes(std::uint32_t from, std::uint32_t to) = 0;
};

// Characters are reckoned as GbkDecoder reckons them (every byte belongs to exactly one; an
// invalid one reads as U+FFFD), a four-byte character beyond the first plane as two units.
// A display line's bytes are its characters and its break, so the lines read one after
// the other are the text.
class CharacterIndex {
public:
    // A mark every so many bytes: a lookup walks no further than this.
    static constexpr std::uint32_t kMarkBytes = 16 * 1024;
    // A display line longer than this (a text without breaks and without word wrap, or of
    // characters without width) is read in pieces of about this many bytes, each as a line.
    static constexpr std::uint32_t kPieceBytes = 4096;
    // The most text one answer gives: a reader asks for lines and sentences; a whole novel
    // at once would be the copy this index exists to avoid.
    static constexpr int kMaxAnswerUnits = 1 << 20;

    explicit CharacterIndex(LineSource& source) : source_(source) {}

    // Forgets what was counted: the source shows another text.
    void reset();
    // Counts on over at most about `budget` bytes of the lines wrapped so far and returns
    // the text newly counted (empty when caught up).
    QString extend(std::size_t budget);
    // Whether every byte the lines cover so far is counted.
    bool caughtUp();

    // The units counted so far: the text a reader may ask about.
    int count() const { return units_; }
    // The bytes counted so far.
    std::uint32_t countedBytes() const { return bytes_; }

    // The counted text's units [from, to) (clamped; at most kMaxAnswerUnits of them).
    QString text(int from, int to);
    // The units before byte `byte` (a character's start; clamped to the counted bytes).
    int unitsBefore(std::uint32_t byte);
    // Where the character holding unit `offset` starts (offset clamped to [0, count()]).
    std::uint32_t byteOf(int offset);

    // A line as a reader meets it: units [start, end) of display line `line` (or of a piece
    // of it); start and end are -1 when there is none.
    struct Span {
        int start = -1, end = -1;
        std::size_t line = 0;
    };
    // The line holding unit `offset` (the last line for count()); none past count() or
    // before anything is counted.
    Span lineAt(int offset);
    // The first piece of display line `line`, cut to what is counted.
    Span lineSpan(std::size_t line);
    // The display lines so far.
    std::size_t lines() { return source_.lineCount(); }
    // The display line holding byte `byte` among the lines so far; 0 when there are none.
    std::size_t lineOfByte(std::uint32_t byte);

private:
    struct Mark {
        std::uint32_t byte;
        int units;
    };
    // Where counting may go now: the start of the last line so far (its end is not known
    // yet), or the text's end once complete.
    std::uint32_t limit();
    // The nearest known place at or before the one `before` says is not past.
    template <typename Before> Mark from(Before before) const;
    // The character boundary at or after byte `byte` (not past the counted bytes), with the
    // units before it.
    Mark walkTo(std::uint32_t byte);
    std::uint32_t boundaryFrom(std::uint32_t byte);
    Span spanOf(std::size_t line, std::uint32_t byte);

    LineSource& source_;
    std::vector<Mark> marks_{{0, 0}};
    std::uint32_t bytes_ = 0;
    int units_ = 0;
    // Where the last lookup ended: a reader goes on from there, line after line.
    Mark last_{0, 0};
};

} // namespace orlenth::text
