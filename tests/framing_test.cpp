#include "library/CompressedStream.h"
#include "library/LZRW.h"
#include "library/StreamFields.h"
#include "library/StringListPayload.h"

#include "framework/Errors.h"
#include "test_data.h"

#include <gtest/gtest.h>

using namespace orlenth;
using testdata::Bytes;
using testdata::hex;

namespace {

Bytes bytesOf(TMemoryStream& m) {
    return m.Bytes();
}

Bytes frame(const Bytes& in) {
    TMemoryStream src(in.data(), static_cast<std::int64_t>(in.size()));
    TMemoryStream dst;
    SaveCompressedStream(src, dst, static_cast<std::int32_t>(in.size()));
    return bytesOf(dst);
}

Bytes unframe(const Bytes& framed) {
    TMemoryStream src(framed.data(), static_cast<std::int64_t>(framed.size()));
    TMemoryStream dst;
    LoadCompressedStream(src, dst);
    EXPECT_EQ(src.Position(), src.Size());
    return bytesOf(dst);
}

std::int32_t int32At(const Bytes& b, std::size_t at) {
    const std::uint32_t v =
        static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
        static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
    return static_cast<std::int32_t>(v);
}

// The block sizes of a framed stream, checking that the total matches them.
std::vector<std::int32_t> blockSizes(const Bytes& framed) {
    std::vector<std::int32_t> sizes;
    std::size_t at = 4;
    while (at < framed.size()) {
        sizes.push_back(int32At(framed, at));
        at += 4 + static_cast<std::size_t>(sizes.back());
    }
    EXPECT_EQ(static_cast<std::size_t>(int32At(framed, 0)) + 4, framed.size());
    return sizes;
}

} // namespace

TEST(Framing, ExamplesByteForByte) {
    EXPECT_EQ(frame({}), hex("00 00 00 00"));
    EXPECT_EQ(unframe(hex("00 00 00 00")), Bytes{});
    const Bytes abc{0x61, 0x62, 0x63, 0x61, 0x62, 0x63, 0x61, 0x62, 0x63, 0x61, 0x62, 0x63};
    EXPECT_EQ(frame(abc), hex("0C 00 00 00 08 00 00 00 40 10 00 61 62 63 00 36"));
    EXPECT_EQ(unframe(hex("0C 00 00 00 08 00 00 00 40 10 00 61 62 63 00 36")), abc);
}

TEST(Framing, CutsInputIntoFullBlocksAndARest) {
    const std::size_t k = kLZRWMaxInput;
    struct Case {
        std::size_t size;
        std::size_t blocks;
    } cases[] = {{k - 1, 1}, {k, 1},         {k + 1, 2},     {2 * k - 1, 2},
                 {2 * k, 2}, {2 * k + 1, 3}, {3 * k + 1, 4}, {33024, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        for (const Bytes& in : {testdata::randomBytes(7, c.size), testdata::gbkProse(8, c.size)}) {
            const Bytes framed = frame(in);
            const auto sizes = blockSizes(framed);
            EXPECT_EQ(sizes.size(), c.blocks);
            EXPECT_EQ(unframe(framed), in);
        }
    }
    // Incompressible full blocks are stored: 32782 bytes each.
    const auto sizes = blockSizes(frame(testdata::randomBytes(3, 2 * k)));
    EXPECT_EQ(sizes, (std::vector<std::int32_t>{32782, 32782}));
}

TEST(Framing, ReadsAreWholeBlocksNotCutToTheCount) {
    const Bytes in = testdata::randomBytes(5, 40000);
    TMemoryStream src(in.data(), 40000), dst;
    SaveCompressedStream(src, dst, 10);
    // The one block carries the whole first read of 32781 bytes.
    EXPECT_EQ(blockSizes(dst.Bytes()), std::vector<std::int32_t>{32782});
    // A count beyond what the source holds stops when the source runs dry.
    TMemoryStream src2(in.data(), 100), dst2;
    SaveCompressedStream(src2, dst2, 1'000'000);
    EXPECT_EQ(unframe(dst2.Bytes()), Bytes(in.begin(), in.begin() + 100));
}

TEST(Framing, LeavesTheSourceJustAfterTheStream) {
    TMemoryStream m;
    const Bytes a = testdata::gbkProse(1, 50000), b = testdata::gbkProse(2, 700);
    TMemoryStream sa(a.data(), 50000), sb(b.data(), 700);
    SaveCompressedStream(sa, m, 50000);
    SaveCompressedStream(sb, m, 700);
    stWriteInteger(m, 0x12345678);
    m.SetPosition(0);
    TMemoryStream ra, rb;
    LoadCompressedStream(m, ra);
    LoadCompressedStream(m, rb);
    EXPECT_EQ(ra.Bytes(), a);
    EXPECT_EQ(rb.Bytes(), b);
    EXPECT_EQ(stReadInteger(m), 0x12345678);
}

TEST(Framing, BlocksGoOutAsTheyAreMadeWithTheTotalLeftToTheCaller) {
    for (std::size_t n : {0u, 1u, 32781u, 32782u, 100000u}) {
        const Bytes in = testdata::gbkProse(7, n);
        TMemoryStream src(in.data(), static_cast<std::int64_t>(n)), blocks;
        const std::int64_t total = WriteCompressedBlocks(src, blocks);
        Bytes whole = frame(in);
        EXPECT_EQ(total, int32At(whole, 0)) << n;
        EXPECT_EQ(blocks.Bytes(), Bytes(whole.begin() + 4, whole.end())) << n;
    }
}

TEST(Framing, CountingKeepsNothingAndStopsPastTheLimit) {
    const Bytes framed = frame(testdata::gbkProse(3, 100000)); // blocks of 32781: 4 blocks
    struct Row {
        const char* name;
        std::int64_t before, limit, counted;
        bool toTheEnd;
    } rows[] = {
        {"whole", 0, 1 << 20, 100000, true},
        {"stops_after_the_block_that_passes", 0, 40000, 2 * 32781, false},
        {"adds_to_what_was_counted", 5, 1 << 20, 100005, true},
        {"nothing_when_already_past", 41, 40, 41, false},
    };
    for (const auto& r : rows) {
        TMemoryStream src(framed.data(), static_cast<std::int64_t>(framed.size()));
        std::int64_t restored = r.before;
        CountCompressedStream(src, restored, r.limit);
        EXPECT_EQ(restored, r.counted) << r.name;
        EXPECT_EQ(src.Position() == src.Size(), r.toTheEnd) << r.name;
    }
    // The last block cut short: the blocks before it are counted, then the read error.
    const Bytes cut(framed.begin(), framed.end() - 1);
    TMemoryStream src(cut.data(), static_cast<std::int64_t>(cut.size()));
    std::int64_t restored = 0;
    EXPECT_THROW(CountCompressedStream(src, restored, 1 << 20), EReadError);
    EXPECT_EQ(restored, 3 * 32781);
}

struct Damage {
    const char* name;
    Bytes framed;
};

class FramingDamage : public ::testing::TestWithParam<Damage> {};

TEST_P(FramingDamage, IsAReadError) {
    TMemoryStream src(GetParam().framed.data(),
                      static_cast<std::int64_t>(GetParam().framed.size())),
        dst;
    EXPECT_THROW(LoadCompressedStream(src, dst), EReadError);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, FramingDamage,
    ::testing::Values(
        Damage{"empty", {}}, Damage{"total_cut", hex("0C 00")},
        Damage{"negative_total", hex("FF FF FF FF")},
        Damage{"total_without_blocks", hex("0C 00 00 00")},
        Damage{"block_size_zero", hex("05 00 00 00 00 00 00 00 80")},
        Damage{"block_size_negative", hex("08 00 00 00 FC FF FF FF 80 61 62 63")},
        Damage{"block_size_above_buffer", hex("0C 80 00 00 0F 80 00 00 80")},
        Damage{"block_past_total", hex("06 00 00 00 08 00 00 00 40 10 00 61 62 63 00 36")},
        Damage{"total_not_on_a_block_edge", hex("0E 00 00 00 08 00 00 00 40 10 00 61 62 63 00 36")},
        Damage{"block_body_cut", hex("0C 00 00 00 08 00 00 00 40 10 00 61 62")},
        Damage{"corrupt_block", hex("09 00 00 00 05 00 00 00 40 80 00 00 36")}),
    [](const auto& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------- fields

TEST(StreamFields, LittleEndianAndShortStrings) {
    TMemoryStream m;
    stWriteByte(m, 0xAB);
    stWriteWord(m, 0x1234);
    stWriteInteger(m, -2);
    stWriteString(m, "hi");
    stWriteString(m, std::string(300, 'x'));
    const Bytes& b = m.Bytes();
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 10), hex("AB 34 12 FE FF FF FF 02 68 69"));
    EXPECT_EQ(b[10], 44); // 300 AND 0xFF
    EXPECT_EQ(b.size(), 11u + 44u);
    m.SetPosition(0);
    EXPECT_EQ(stReadByte(m), 0xAB);
    EXPECT_EQ(stReadWord(m), 0x1234);
    EXPECT_EQ(stReadInteger(m), -2);
    std::string s;
    stReadString(m, s);
    EXPECT_EQ(s, "hi");
    stReadString(m, s);
    EXPECT_EQ(s, std::string(44, 'x'));
    // Ending inside a field reads nothing past the end; the missing bytes are zero.
    TMemoryStream cut(hex("05 00").data(), 2);
    EXPECT_EQ(stReadInteger(cut), 5);
    TMemoryStream cutString(hex("05 41").data(), 2);
    stReadString(cutString, s);
    EXPECT_EQ(s, std::string("A\0\0\0\0", 5));
}

// ---------------------------------------------------------------- lines and payloads

struct Split {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

class TextSplitting : public ::testing::TestWithParam<Split> {};

TEST_P(TextSplitting, GivesTheLines) {
    TLineList l{"old"};
    l.SetText(GetParam().text);
    EXPECT_EQ(l.ToVector(), GetParam().lines);
    // Taken over whole and split on first use: the same lines and the same text form.
    TLineList taken{"old"};
    taken.SetText(std::string(GetParam().text));
    EXPECT_EQ(taken.Count(), l.Count());
    EXPECT_EQ(taken.Text(), l.Text());
    EXPECT_EQ(taken.ToVector(), GetParam().lines);
    // The text form reads back to the same lines.
    TLineList again;
    again.SetText(l.Text());
    EXPECT_EQ(again, l);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextSplitting,
    ::testing::Values(
        Split{"empty", "", {}}, Split{"crlf_alone_is_one_empty_line", "\r\n", {""}},
        Split{"two_crlf", "\r\n\r\n", {"", ""}},
        Split{"final_break_adds_nothing", "ab\r\ncd\r\n", {"ab", "cd"}},
        Split{"last_line_without_break", "ab\r\ncd", {"ab", "cd"}},
        Split{"lone_lf", "ab\ncd\n", {"ab", "cd"}}, Split{"lone_cr", "ab\rcd", {"ab", "cd"}},
        Split{"lf_cr_is_two_breaks", "ab\n\rcd", {"ab", "", "cd"}},
        Split{"zero_byte_ends_the_text", std::string("ab\r\ncd\0ef\r\n", 11), {"ab", "cd"}},
        Split{"zero_byte_first", std::string("\0ab\r\n", 5), {}},
        Split{"every_kind_of_break", "a\r\r\nb\n\nc", {"a", "", "b", "", "c"}},
        Split{"gbk_bytes_unchanged", "\xC4\xE3\xBA\xC3\r\n", {"\xC4\xE3\xBA\xC3"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(StringListPayload, ExamplesByteForByte) {
    const TLineList lines{"ab", "cd"};
    EXPECT_EQ(lines.Text(), "ab\r\ncd\r\n");
    EXPECT_EQ(TLineList{}.Text(), "");
    for (bool compressed : {false, true}) {
        TMemoryStream m;
        stWriteStringList(m, lines, compressed);
        EXPECT_EQ(m.Bytes(), compressed ? hex("0D 00 00 00 09 00 00 00 80 61 62 0D 0A 63 64 0D 0A")
                                        : hex("08 00 00 00 61 62 0D 0A 63 64 0D 0A"));
        m.SetPosition(0);
        TLineList back;
        stReadStringList(m, back, compressed);
        EXPECT_EQ(back, lines);
        EXPECT_EQ(m.Position(), m.Size());
    }
}

TEST(StringListPayload, RoundTripsLongChineseTexts) {
    TLineList lines;
    const Bytes prose = testdata::gbkProse(11, 120000);
    lines.SetText(prose.data(), prose.size());
    ASSERT_GT(lines.Count(), 100);
    for (bool compressed : {false, true}) {
        TMemoryStream m;
        stWriteStringList(m, lines, compressed);
        m.SetPosition(0);
        TLineList back;
        stReadStringList(m, back, compressed);
        EXPECT_EQ(back, lines);
    }
    // From bytes that last the text stays packed until first used; a copy made before
    // then restores it by itself.
    TMemoryStream m;
    stWriteStringList(m, lines, true);
    TViewStream lasting(m.Memory(), m.Size(), true);
    TLineList back;
    stReadStringList(lasting, back, true);
    EXPECT_EQ(lasting.Position(), lasting.Size());
    const TLineList copy = back;
    EXPECT_EQ(back, lines);
    EXPECT_EQ(copy, lines);
}

TEST(StringListPayload, DamagedPayloadKeepsTheOldLines) {
    const TLineList old{"keep", "me"};
    struct Damaged {
        Bytes bytes;
        bool compressed;
    };
    const Damaged damaged[] = {{hex("08 00 00 00 61 62 0D"), false},
                               {hex("FF FF FF 7F 61"), false},
                               {hex("F0 FF FF FF"), false},
                               {hex("08 00"), false},
                               {hex("0D 00 00 00 09 00 00 00 80 61 62 0D"), true},
                               // whole, but its one copy reaches before the start of the output
                               {hex("09 00 00 00 05 00 00 00 40 80 00 00 12"), true}};
    for (std::size_t i = 0; i < std::size(damaged); ++i) {
        SCOPED_TRACE(i);
        const Bytes& b = damaged[i].bytes;
        TMemoryStream m(b.data(), static_cast<std::int64_t>(b.size()));
        TLineList l = old;
        EXPECT_THROW(stReadStringList(m, l, damaged[i].compressed), EReadError);
        EXPECT_EQ(l, old);
        // Bytes that last are checked whole before the list is touched.
        TViewStream lasting(b.data(), static_cast<std::int64_t>(b.size()), true);
        EXPECT_THROW(stReadStringList(lasting, l, damaged[i].compressed), EReadError);
        EXPECT_EQ(l, old);
    }
}
