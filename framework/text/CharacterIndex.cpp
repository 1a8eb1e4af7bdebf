#include "framework/text/CharacterIndex.h"

#include "framework/text/GbkDecoder.h"

#include <algorithm>

namespace orlenth::text {

namespace {

int unitsOf(char32_t c) {
    return c > 0xFFFF ? 2 : 1;
}

// Writes the UTF-16 units of `c` at `out`; returns past them.
char16_t* put(char32_t c, char16_t* out) {
    if (c <= 0xFFFF) {
        *out++ = static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        *out++ = static_cast<char16_t>(0xD800 + (c >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
    return out;
}

} // namespace

void CharacterIndex::reset() {
    marks_.assign(1, {0, 0});
    bytes_ = 0;
    units_ = 0;
    last_ = {0, 0};
}

std::uint32_t CharacterIndex::limit() {
    if (source_.complete()) return source_.textEnd();
    const std::size_t lines = source_.lineCount();
    return lines > 0 ? source_.lineStart(lines - 1) : 0;
}

bool CharacterIndex::caughtUp() {
    return bytes_ >= limit();
}

QString CharacterIndex::extend(std::size_t budget) {
    const std::uint32_t end = limit();
    if (bytes_ >= end) return {};
    const auto stop =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(end, std::uint64_t{bytes_} + budget));
    // The last character may reach a few bytes past `stop`, never past `end`: the start of
    // a line, or the text's end, is a character's boundary.
    const std::string_view text = source_.bytes(bytes_, end);
    const char* const base = text.data() - bytes_;
    const char* p = text.data();
    const char* const last = base + end;
    const GbkDecoder& decoder = GbkDecoder::instance();
    // Each byte gives at most one unit, a four-byte character two.
    QString added(static_cast<qsizetype>(stop - bytes_) + 3, Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(added.data());
    auto* const outStart = out;
    while (p < base + stop) {
        const GbkChar c = decoder.next(p, last);
        out = put(c.codePoint, out);
        p += c.length;
        const auto at = static_cast<std::uint32_t>(p - base);
        if (at - marks_.back().byte >= kMarkBytes)
            marks_.push_back({at, units_ + static_cast<int>(out - outStart)});
    }
    added.truncate(out - outStart);
    bytes_ = static_cast<std::uint32_t>(p - base);
    units_ += static_cast<int>(added.size());
    return added;
}

template <typename Before> CharacterIndex::Mark CharacterIndex::from(Before before) const {
    const auto it = std::upper_bound(marks_.begin(), marks_.end(), 0,
                                     [&](int, const Mark& m) { return !before(m); });
    Mark start = *std::prev(it);
    if (before(last_) && last_.byte > start.byte) start = last_;
    return start;
}

std::uint32_t CharacterIndex::byteOf(int offset) {
    offset = std::clamp(offset, 0, units_);
    if (offset == units_) return bytes_;
    Mark at = from([&](const Mark& m) { return m.units <= offset; });
    // Marks lie at most kMarkBytes and a character apart: the walk ends before the next.
    const std::string_view text =
        source_.bytes(at.byte, std::min<std::uint32_t>(bytes_, at.byte + kMarkBytes + 8));
    const char* p = text.data();
    const char* const end = p + text.size();
    const GbkDecoder& decoder = GbkDecoder::instance();
    while (p < end) {
        const GbkChar c = decoder.next(p, end);
        if (at.units + unitsOf(c.codePoint) > offset) break;
        at.units += unitsOf(c.codePoint);
        at.byte += c.length;
        p += c.length;
    }
    last_ = at;
    return at.byte;
}

CharacterIndex::Mark CharacterIndex::walkTo(std::uint32_t byte) {
    byte = std::min(byte, bytes_);
    Mark at = from([&](const Mark& m) { return m.byte <= byte; });
    const std::string_view text = source_.bytes(at.byte, std::min<std::uint32_t>(bytes_, byte + 4));
    const char* p = text.data();
    const char* const end = p + text.size();
    const GbkDecoder& decoder = GbkDecoder::instance();
    while (at.byte < byte) {
        const GbkChar c = decoder.next(p, end);
        at.units += unitsOf(c.codePoint);
        at.byte += c.length;
        p += c.length;
    }
    return at;
}

int CharacterIndex::unitsBefore(std::uint32_t byte) {
    last_ = walkTo(byte);
    return last_.units;
}

std::uint32_t CharacterIndex::boundaryFrom(std::uint32_t byte) {
    return walkTo(byte).byte;
}

QString CharacterIndex::text(int from, int to) {
    from = std::clamp(from, 0, units_);
    to = std::clamp(to, from, units_);
    to = std::min(to, from + kMaxAnswerUnits);
    if (from == to) return {};
    const std::uint32_t start = byteOf(from);
    int units = last_.units;
    // A unit takes at most four bytes.
    const std::string_view text =
        source_.bytes(start, static_cast<std::uint32_t>(std::min<std::uint64_t>(
                                 bytes_, start + 4 * std::uint64_t(to - from + 1))));
    const char* p = text.data();
    const char* const end = p + text.size();
    const GbkDecoder& decoder = GbkDecoder::instance();
    QString out(to - from + 1, Qt::Uninitialized);
    auto* const first = reinterpret_cast<char16_t*>(out.data());
    char16_t* o = first;
    while (units < to && p < end) {
        const GbkChar c = decoder.next(p, end);
        char16_t pair[2];
        const int n = static_cast<int>(put(c.codePoint, pair) - pair);
        // A range may start or end between the two halves of a pair.
        for (int k = 0; k < n; ++k)
            if (units + k >= from && units + k < to) *o++ = pair[k];
        units += n;
        p += c.length;
    }
    out.truncate(o - first);
    return out;
}

std::size_t CharacterIndex::lineOfByte(std::uint32_t byte) {
    std::size_t lo = 0, hi = source_.lineCount();
    if (hi == 0) return 0;
    // The last line starting at or before `byte`.
    while (hi - lo > 1) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (source_.lineStart(mid) <= byte)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

CharacterIndex::Span CharacterIndex::spanOf(std::size_t line, std::uint32_t byte) {
    const std::size_t lines = source_.lineCount();
    std::uint32_t start = lines > 0 ? std::min(source_.lineStart(line), bytes_) : 0;
    std::uint32_t end = line + 1 < lines ? source_.lineStart(line + 1) : bytes_;
    end = std::min(end, bytes_);
    if (end - start > kPieceBytes) {
        // Pieces start at the first character at or after each kPieceBytes from the line's
        // start; the one holding `byte` is the piece before the first that starts past it.
        const std::uint32_t k = (byte - start) / kPieceBytes;
        const std::uint32_t pieceStart = boundaryFrom(start + k * kPieceBytes);
        const std::uint64_t next = std::uint64_t{start} + std::uint64_t{k + 1} * kPieceBytes;
        if (next < end) end = boundaryFrom(static_cast<std::uint32_t>(next));
        start = pieceStart;
    }
    Span s;
    s.line = line;
    s.start = unitsBefore(start);
    s.end = unitsBefore(end);
    return s;
}

CharacterIndex::Span CharacterIndex::lineAt(int offset) {
    if (offset < 0 || offset > units_ || bytes_ == 0) return {};
    const std::uint32_t byte = byteOf(offset);
    return spanOf(lineOfByte(byte), byte);
}

CharacterIndex::Span CharacterIndex::lineSpan(std::size_t line) {
    const std::size_t lines = source_.lineCount();
    if (bytes_ == 0 || line >= std::max<std::size_t>(lines, 1)) return {};
    const std::uint32_t start = lines > 0 ? std::min(source_.lineStart(line), bytes_) : 0;
    return spanOf(line, start);
}

} // namespace orlenth::text
