#include "framework/text/Sentences.h"

#include "framework/text/GbkDecoder.h"
#include "framework/text/TextEncoding.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlenth::text {
namespace {

std::string Gbk(const char* utf8) {
    return UnicodeToGbk(QString::fromUtf8(utf8));
}

// Every sentence from the start, as UTF-8.
std::vector<std::string> Sentences(const std::string& gbk, bool complete = true) {
    std::vector<std::string> said;
    std::size_t from = 0;
    while (const auto s = NextSentence(gbk, from, complete)) {
        const std::u32string sentence =
            GbkDecoder::instance().decode(std::string_view(gbk).substr(s->offset, s->length));
        said.push_back(QString::fromStdU32String(sentence).toStdString());
        from = s->offset + s->length;
    }
    return said;
}

struct Row {
    const char* name;
    const char* text;
    std::vector<std::string> sentences;
};

class NextSentenceTest : public testing::TestWithParam<Row> {};

TEST_P(NextSentenceTest, CutsTheTextWhereAVoicePauses) {
    EXPECT_EQ(Sentences(Gbk(GetParam().text)), GetParam().sentences);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NextSentenceTest,
    testing::Values(
        Row{"StopsAfterEachMark", "甲乙。丙丁！戊？", {"甲乙。", "丙丁！", "戊？"}},
        Row{"ClosingQuoteStaysWithItsSentence",
            "他说：“好。”然后走了。",
            {"他说：“好。”", "然后走了。"}},
        Row{"MarksInARunStayTogether", "真的？！是的。", {"真的？！", "是的。"}},
        Row{"LineEndsEndASentence", "第一行\r\n第二行\n第三行", {"第一行", "第二行", "第三行"}},
        Row{"IndentAndBlankLinesAreNotSaid",
            "　　晋太元中。\r\n  \r\n\r\n　　缘溪行。 ",
            {"晋太元中。", "缘溪行。"}},
        Row{"TrailingSpacesAreNotSaid", "甲乙  \r\n", {"甲乙"}},
        Row{"TrailingIdeographicSpacesAreNotSaid", "甲乙　 　\n丙　", {"甲乙", "丙"}},
        Row{"LatinMarksToo", "Yes! No? Maybe.", {"Yes!", "No?", "Maybe."}},
        Row{"NothingToSay", "\r\n　\r\n", {}}),
    [](const testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

TEST(Sentences, AFourByteCharacterIsNeverCut) {
    // U+20000 is four bytes in GB18030 and 。 its own two.
    const QByteArray bytes = QStringEncoder("GB18030").encode(QString::fromUtf8("𠀀。𠀀𠀀"));
    const std::string text = bytes.toStdString();
    ASSERT_EQ(text.size(), 14u);
    EXPECT_EQ(Sentences(text), (std::vector<std::string>{"𠀀。", "𠀀𠀀"}));
}

TEST(Sentences, AParagraphWithoutAStopIsCutAtACharacter) {
    std::string text;
    for (int i = 0; i < 400; ++i) text += Gbk("文");
    const auto first = NextSentence(text, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->length, kMaxSentenceBytes);
    EXPECT_EQ(NextSentence(text, first->length)->length, 800 - kMaxSentenceBytes);
}

TEST(Sentences, ATextStillArrivingWaitsForASentencesEnd) {
    // 丙丁 may go on, and after its 。 a closing quote may still come.
    const std::string text = Gbk("甲乙。丙丁");
    EXPECT_EQ(Sentences(text, false), std::vector<std::string>{"甲乙。"});
    EXPECT_EQ(Sentences(text + Gbk("。"), false), std::vector<std::string>{"甲乙。"});
    EXPECT_EQ(Sentences(text + Gbk("。\r\n戊"), false),
              (std::vector<std::string>{"甲乙。", "丙丁。"}));
    EXPECT_EQ(Sentences(text, true), (std::vector<std::string>{"甲乙。", "丙丁"}));
}

TEST(Sentences, StartsFromAnyOffset) {
    const std::string text = Gbk("甲乙。丙丁。");
    EXPECT_EQ(NextSentence(text, 1), (TSentence{2, 4})); // inside 甲: from 乙
    EXPECT_EQ(NextSentence(text, 6), (TSentence{6, 6})); // 丙丁。
    EXPECT_EQ(NextSentence(text, text.size()), std::nullopt);
    EXPECT_EQ(NextSentence(text, text.size() + 9), std::nullopt);
}

} // namespace
} // namespace orlenth::text
