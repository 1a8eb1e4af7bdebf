#include "framework/text/GbkDecoder.h"
#include "text_test_support.h"

#include <QList>
#include <gtest/gtest.h>

#include <ostream>

namespace orlenth::text {
namespace {

using testing::toGbk;

struct RoundTrip {
    const char* name;
    QString text;
};

// Failures name the row rather than dumping its bytes.
void PrintTo(const RoundTrip& row, std::ostream* os) {
    *os << row.name;
}

class GbkDecoderRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(GbkDecoderRoundTrip, DecodesWhatQtEncoded) {
    const QString& text = GetParam().text;
    const std::string gbk = toGbk(text);
    const std::u32string decoded = GbkDecoder::instance().decode(gbk);
    const QList<uint> expected = text.toUcs4();
    EXPECT_EQ(decoded, std::u32string(expected.begin(), expected.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, GbkDecoderRoundTrip,
    ::testing::Values(RoundTrip{"Ascii", QStringLiteral("Hello, 2024!\r\n")},
                      RoundTrip{"TwoByteChinese", QStringLiteral("床前明月光，疑是地上霜。")},
                      RoundTrip{"FourByteInBmp", QStringLiteral("¢€ ㄅ ḿ")},
                      RoundTrip{"FourByteSupplementary", QStringLiteral("𠀀𪚥古文𬺰")},
                      RoundTrip{"Mixed", QStringLiteral("第1章《𠀀》“Hi”。")}),
    [](const auto& row) { return std::string(row.param.name); });

struct BadBytes {
    const char* name;
    std::string bytes;
    std::vector<GbkChar> expected;
};

// Failures name the row rather than dumping its bytes.
void PrintTo(const BadBytes& row, std::ostream* os) {
    *os << row.name;
}

class GbkDecoderBadBytes : public ::testing::TestWithParam<BadBytes> {};

TEST_P(GbkDecoderBadBytes, EveryByteBelongsToOneCharacter) {
    const std::string& bytes = GetParam().bytes;
    std::vector<GbkChar> got;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        got.push_back(GbkDecoder::instance().next(p, end));
        p += got.back().length;
    }
    ASSERT_EQ(got.size(), GetParam().expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].codePoint, GetParam().expected[i].codePoint) << "character " << i;
        EXPECT_EQ(got[i].length, GetParam().expected[i].length) << "character " << i;
    }
}

constexpr char32_t R = kReplacementChar;

INSTANTIATE_TEST_SUITE_P(
    Inputs, GbkDecoderBadBytes,
    ::testing::Values(BadBytes{"LeadByteAtEnd", "a\xD6", {{U'a', 1}, {R, 1}}},
                      BadBytes{"LeadByteBeforeCr", "\xD6\r\n", {{R, 1}, {U'\r', 1}, {U'\n', 1}}},
                      BadBytes{"LeadByteBeforeLf", "\xD6\n", {{R, 1}, {U'\n', 1}}},
                      BadBytes{"ByteFF",
                               "\xFF"
                               "a",
                               {{R, 1}, {U'a', 1}}},
                      BadBytes{"Byte80", "\x80", {{R, 1}}},
                      BadBytes{"TruncatedFourByte", "\x95\x32\x82", {{R, 1}, {U'2', 1}, {R, 1}}},
                      BadBytes{"FourByteWithBadThird",
                               "\x95\x32\x20\x36",
                               {{R, 1}, {U'2', 1}, {U' ', 1}, {U'6', 1}}},
                      BadBytes{"ValidPairAfterBadByte", "\xFF\xD6\xD0", {{R, 1}, {U'中', 2}}}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlenth::text
