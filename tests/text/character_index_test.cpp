#include "framework/text/CharacterIndex.h"

#include "framework/text/GbkDecoder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace orlenth::text {
namespace {

// Lines as a wrap would give them, released a few at a time; counts the bytes read.
class FakeLines : public LineSource {
public:
    FakeLines(std::string text, std::vector<std::uint32_t> starts)
        : text_(std::move(text)), starts_(std::move(starts)), shown_(starts_.size()) {}
    std::size_t lineCount() override { return shown_; }
    bool complete() override { return shown_ == starts_.size(); }
    std::uint32_t lineStart(std::size_t i) override { return starts_.at(i); }
    std::uint32_t textEnd() override { return static_cast<std::uint32_t>(text_.size()); }
    std::string_view bytes(std::uint32_t from, std::uint32_t to) override {
        EXPECT_LE(from, to);
        EXPECT_LE(to, complete() ? text_.size() : starts_.at(shown_ - 1));
        read += to - from;
        return std::string_view(text_).substr(from, to - from);
    }
    void show(std::size_t lines) { shown_ = lines; }
    std::size_t read = 0;

private:
    std::string text_;
    std::vector<std::uint32_t> starts_;
    std::size_t shown_;
};

// What the text reads as: its characters as GbkDecoder takes them, in UTF-16.
QString expected(const std::string& gbk) {
    const std::u32string chars = GbkDecoder::instance().decode(gbk);
    return QString::fromUcs4(chars.data(), static_cast<qsizetype>(chars.size()));
}

// Lines every `every` bytes, moved on to a character's start, and after each LF.
std::vector<std::uint32_t> linesOf(const std::string& gbk, std::size_t every) {
    std::vector<std::uint32_t> starts{0};
    const GbkDecoder& d = GbkDecoder::instance();
    std::size_t since = 0;
    for (const char* p = gbk.data(); p < gbk.data() + gbk.size();) {
        const GbkChar c = d.next(p, gbk.data() + gbk.size());
        p += c.length;
        since += c.length;
        const auto at = static_cast<std::uint32_t>(p - gbk.data());
        if ((c.codePoint == '\n' || since >= every) && at < gbk.size()) {
            starts.push_back(at);
            since = 0;
        }
    }
    return starts;
}

void countAll(CharacterIndex& index) {
    for (int steps = 0; !index.caughtUp() && steps < 100000; ++steps) index.extend(1000);
}

struct Row {
    const char* name;
    std::string text;
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

class Reads : public testing::TestWithParam<Row> {};

TEST_P(Reads, EveryRangeAsTheWholeTextReads) {
    const std::string& gbk = GetParam().text;
    FakeLines lines(gbk, linesOf(gbk, 7));
    CharacterIndex index(lines);
    countAll(index);
    const QString whole = expected(gbk);
    ASSERT_EQ(index.count(), whole.size());
    for (int from = 0; from <= whole.size(); ++from)
        for (int to = from; to <= whole.size(); ++to)
            ASSERT_EQ(index.text(from, to), whole.mid(from, to - from)) << from << ".." << to;
    // A character's start and the units before it agree both ways.
    for (int u = 0; u <= whole.size(); ++u) {
        const std::uint32_t byte = index.byteOf(u);
        const int before = index.unitsBefore(byte);
        EXPECT_TRUE(before == u || (before == u - 1 && whole.at(u - 1).isHighSurrogate())) << u;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Reads,
    testing::Values(Row{"ascii", "The quick fox\r\njumps."},
                    Row{"two_byte", "\xD6\xD0\xCE\xC4\xA3\xAC\xB9\xFA\xD7\xD6\r\n\xA1\xA3"},
                    // U+20000 (95 32 82 36) takes two units; a plane-0 four-byte one takes one.
                    Row{"four_byte", "a\x95\x32\x82\x36"
                                     "b\x81\x30\x81\x30\x95\x32\x82\x36\n"},
                    Row{"invalid_bytes", "\x80x\xFF\x81\r\n\x81\x30\x81\xD6"},
                    Row{"breaks_only", "\r\n\r\n\n\r\r"}),
    [](const testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

TEST(CharacterIndex, ReadsFarIntoABigTextWithoutReadingItWhole) {
    std::string gbk;
    for (int i = 0; gbk.size() < 8'000'000; ++i)
        gbk += std::to_string(i) + "\xD6\xD0\xCE\xC4\xA3\xAC\x95\x32\x82\x36\r\n";
    FakeLines lines(gbk, linesOf(gbk, 40));
    CharacterIndex index(lines);
    countAll(index);
    const QString whole = expected(gbk);
    ASSERT_EQ(index.count(), whole.size());
    for (const int at : {0, 3'000'000, 5'123'457, static_cast<int>(whole.size()) - 50}) {
        lines.read = 0;
        EXPECT_EQ(index.text(at, at + 50), whole.mid(at, 50));
        const CharacterIndex::Span line = index.lineAt(at);
        EXPECT_LE(line.start, at);
        EXPECT_GT(line.end, at);
        EXPECT_EQ(index.text(line.start, line.end).count(u'\n'), 1);
        // A mark's distance at most, for each lookup.
        EXPECT_LT(lines.read, 8 * CharacterIndex::kMarkBytes) << at;
    }
}

TEST(CharacterIndex, CountsOnlyWhatTheLinesSoFarCoverAndGrowsWithThem) {
    const std::string gbk = "\xD6\xD0\xCE\xC4\r\nab\r\ncd\r\nef";
    FakeLines lines(gbk, {0, 6, 10, 14});
    lines.show(2); // the second line's end is not known yet
    CharacterIndex index(lines);
    EXPECT_EQ(index.extend(1000), expected(gbk.substr(0, 6)));
    EXPECT_TRUE(index.caughtUp());
    lines.show(4);
    EXPECT_FALSE(index.caughtUp());
    // Budgeted: a step may stop anywhere between characters, never inside one.
    QString rest;
    while (!index.caughtUp()) rest += index.extend(1);
    EXPECT_EQ(rest, expected(gbk.substr(6)));
    EXPECT_EQ(index.count(), expected(gbk).size());
    index.reset();
    EXPECT_EQ(index.count(), 0);
    EXPECT_EQ(index.text(0, 5), QString());
}

TEST(CharacterIndex, ALineLongerThanAPieceIsReadInPieces) {
    const std::string gbk = std::string(3 * CharacterIndex::kPieceBytes - 2, 'x') + "\r\ny";
    FakeLines lines(gbk, {0, static_cast<std::uint32_t>(gbk.size() - 1)});
    CharacterIndex index(lines);
    countAll(index);
    int pieces = 0;
    for (int at = 0; at < index.count(); ++pieces) {
        const CharacterIndex::Span s = index.lineAt(at);
        ASSERT_EQ(s.start, at);
        ASSERT_LE(s.end - s.start, static_cast<int>(CharacterIndex::kPieceBytes) + 2);
        at = s.end;
    }
    EXPECT_EQ(pieces, 4); // three pieces of the long line, then "y"
}

} // namespace
} // namespace orlenth::text
