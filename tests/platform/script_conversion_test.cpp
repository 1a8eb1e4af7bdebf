#include "app/platform/ScriptConversion.h"

#include "framework/Errors.h"
#include "framework/text/TextLoad.h"
#include "tests/platform/TempFolder.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace orlenth::platform {
namespace {

using testing::RowName;
using namespace std::literals;

QByteArray Gb(const char* utf8) {
    QStringEncoder encoder("GB18030");
    return encoder.encode(QString::fromUtf8(utf8));
}

QByteArray Converted(Script script, const QByteArray& text) {
    QByteArray out;
    ScriptConverter::For(script)->Convert(
        std::string_view(text.constData(), static_cast<std::size_t>(text.size())), out);
    return out;
}

struct PhraseRow {
    const char* name;
    Script script;
    QByteArray in;
    QByteArray out;
};

const PhraseRow kPhraseRows[] = {
    {"HairIsTheTraditionalHair", Script::Traditional, Gb("头发"), Gb("頭髮")},
    {"DryIsTheTraditionalDry", Script::Traditional, Gb("干燥"), Gb("乾燥")},
    {"InterfereKeepsItsGan", Script::Traditional, Gb("干涉"), Gb("干涉")},
    {"EmpressKeepsItsHou", Script::Traditional, Gb("皇后"), Gb("皇后")},
    {"LaterBecomesSimplified", Script::Simplified, Gb("後來"), Gb("后来")},
    {"TaiwanUsesItsOwnWords", Script::Taiwan, Gb("软件和信息"), Gb("軟體和資訊")},
    {"LinesKeepTheirBreaks", Script::Traditional, Gb("头发\r\n干燥\n"), Gb("頭髮\r\n乾燥\n")},
    // U+20000, which GBK lacks, goes in and out as GB18030's four bytes.
    {"FourByteCharacterKept", Script::Traditional, Gb("头\U00020000发"), Gb("頭\U00020000發")},
    // A byte that starts no character stays, and no phrase spans it.
    {"StrayByteKeptAndSplitsPhrases", Script::Traditional, Gb("头") + "\x80" + Gb("发"),
     Gb("頭") + "\x80" + Gb("發")},
    {"LeadByteCutOffAtTheEnd", Script::Traditional, Gb("头发") + "\xB7", Gb("頭髮") + "\xB7"},
    {"NulKept", Script::Traditional, Gb("头发") + QByteArray(1, '\0') + Gb("干燥"),
     Gb("頭髮") + QByteArray(1, '\0') + Gb("乾燥")},
    {"AsciiUntouched", Script::Simplified, QByteArray("plain text 123\r\n"),
     QByteArray("plain text 123\r\n")},
};

class PhraseCase : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(PhraseCase, ConvertsByPhrase) {
    EXPECT_EQ(Converted(GetParam().script, GetParam().in).toHex(' '), GetParam().out.toHex(' '));
}

INSTANTIATE_TEST_SUITE_P(ScriptConversion, PhraseCase, ::testing::ValuesIn(kPhraseRows), RowName());

struct CutRow {
    const char* name;
    std::string_view text;
    std::size_t bound;
    bool complete;
    std::size_t end;
};

const CutRow kCutRows[] = {
    {"AllWhenCompleteAndShort", "ab\ncd", 10, true, 5},
    {"LastLineEndWithinBound", "ab\ncd\nef", 7, false, 6},
    {"NothingYetWithoutLineEnd", "abcd", 10, false, 0},
    {"LongLineAtASpace", "ab cdefgh", 5, false, 3},
    // 头发 is CD B7 B7 A2: the cut never falls inside a character.
    {"LongLineAtACharacter", "\xCD\xB7\xB7\xA2\xCD\xB7", 5, false, 4},
    {"FullWidthCommaEndsAPhrase", "\xCD\xB7\xA3\xAC\xB7\xA2\xCD\xB7", 7, false, 4},
    {"FirstCharacterWhenBoundIsTiny", "\xCD\xB7\xB7\xA2", 1, false, 2},
    {"CutOffCharacterWaits", "\xCD", 1, false, 0},
};

class CutCase : public ::testing::TestWithParam<CutRow> {};

TEST_P(CutCase, PieceEndsWhereNoPhraseSpans) {
    const CutRow& row = GetParam();
    EXPECT_EQ(PieceEnd(row.text, row.bound, row.complete), row.end);
}

INSTANTIATE_TEST_SUITE_P(ScriptConversion, CutCase, ::testing::ValuesIn(kCutRows), RowName());

// Many lines of the phrases above, some long, some empty.
QByteArray Novel() {
    QByteArray text;
    for (int i = 0; i < 300; ++i) {
        text += Gb("她的头发很干燥，后来皇后不再干涉。");
        if (i % 7 == 0) text += Gb("後來頭髮乾燥了");
        text += i % 5 == 0 ? "\n" : "\r\n";
        if (i % 11 == 0) text += "\r\n";
    }
    return text + Gb("最后一行没有换行");
}

// The source's producer publishing its bytes `step` at a time.
text::TextFeed Arriving(const QByteArray& whole, std::size_t ready, std::size_t step) {
    return {whole, ready, [whole, ready, step](text::TextSink& sink) {
                const auto size = static_cast<std::size_t>(whole.size());
                for (std::size_t at = ready; at < size && !sink.cancelled();) {
                    const std::size_t n = std::min(step, size - at);
                    std::copy(whole.constData() + at, whole.constData() + at + n, sink.data() + at);
                    at += n;
                    sink.publish(at);
                }
            }};
}

struct PieceRow {
    const char* name;
    std::size_t ready; // of the source, at once; SIZE_MAX: all of it, no producer
    std::size_t step;  // the source's pieces
    std::size_t first;
    std::size_t piece;
};

const PieceRow kPieceRows[] = {
    {"WholeAtOnce", SIZE_MAX, 0, 1 << 20, 1 << 20},
    {"WholeSourceSmallPieces", SIZE_MAX, 0, 100, 200},
    {"ArrivingInBytes", 0, 1, 4096, 4096},
    {"ArrivingInOddPieces", 1000, 777, 300, 3000},
    {"FirstPieceLargerThanReady", 10, 5000, 1 << 20, 500},
    // Small pieces: the source's pages already converted are given back along the way.
    {"ArrivingDroppingWhatWasConverted", 0, 333, 100, 100},
};

class PieceCase : public ::testing::TestWithParam<PieceRow> {};

TEST_P(PieceCase, PiecesDoNotChangeTheResult) {
    const PieceRow& row = GetParam();
    const QByteArray novel = Novel();
    const QByteArray whole = Converted(Script::Traditional, novel);
    ASSERT_NE(whole, novel);
    text::TextFeed source = row.ready == SIZE_MAX
                                ? text::TextFeed{novel, static_cast<std::size_t>(novel.size()), {}}
                                : Arriving(novel, row.ready, row.step);
    text::TextLoad load(ConvertedFeed(std::move(source), ScriptConverter::For(Script::Traditional),
                                      row.first, row.piece));
    const QByteArray text = load.finalText();
    EXPECT_FALSE(load.error());
    EXPECT_EQ(text, whole);
}

INSTANTIATE_TEST_SUITE_P(ScriptConversion, PieceCase, ::testing::ValuesIn(kPieceRows), RowName());

TEST(ScriptConversion, FirstPieceIsThereAtOnce) {
    const QByteArray novel = Novel();
    text::TextFeed feed = ConvertedFeed(Arriving(novel, 4096, 4096),
                                        ScriptConverter::For(Script::Traditional), 2048, 4096);
    ASSERT_GT(feed.ready, 0u);
    EXPECT_LE(feed.ready, 2048u * 2);
    EXPECT_EQ(feed.buffer.left(static_cast<qsizetype>(feed.ready)),
              Converted(Script::Traditional, novel).left(static_cast<qsizetype>(feed.ready)));
}

TEST(ScriptConversion, SourceErrorEndsTheTextAfterWhatItPublished) {
    const QByteArray start = Gb("头发\r\n干燥");
    text::TextFeed source{start + QByteArray(64, ' '), 0, [start](text::TextSink& sink) {
                              std::copy(start.begin(), start.end(), sink.data());
                              sink.publish(static_cast<std::size_t>(start.size()));
                              throw EReadError();
                          }};
    text::TextLoad load(
        ConvertedFeed(std::move(source), ScriptConverter::For(Script::Traditional)));
    EXPECT_EQ(load.finalText(), Gb("頭髮\r\n乾燥"));
    EXPECT_TRUE(load.error());
}

TEST(ScriptConversion, GivingUpTheTextGivesUpItsSource) {
    std::atomic<bool> sourceStopped{false};
    {
        text::TextFeed source{QByteArray(1024, ' '), 0, [&sourceStopped](text::TextSink& sink) {
                                  while (!sink.cancelled()) std::this_thread::yield();
                                  sourceStopped = true;
                              }};
        text::TextLoad load(
            ConvertedFeed(std::move(source), ScriptConverter::For(Script::Traditional)));
    }
    EXPECT_TRUE(sourceStopped);
}

TEST(ScriptConversion, MissingDictionaryIsTheSystemsError) {
    try {
        ScriptConverter converter("/nonexistent/orlenth-none.json", "繁體");
        FAIL() << "a missing configuration loaded";
    } catch (const EScriptError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Cannot convert the text to 繁體: "))
            << e.what();
    }
}

TEST(ScriptConversion, NamesRoundTripThroughTheirKeys) {
    for (const ScriptName& s : KnownScripts()) EXPECT_EQ(ScriptForKey(s.key), s.script);
    EXPECT_FALSE(ScriptForKey("klingon"));
    EXPECT_THROW(ScriptConverter::For(Script::Original), EScriptError);
}

} // namespace
} // namespace orlenth::platform
