// Reading aloud over an engine that says nothing: it records each sentence and is told
// when to finish it, so the order, the waits and the stops can be checked exactly.

#include "app/ReadAloud.h"

#include "framework/text/TextEncoding.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace orlenth {
namespace {

class FakeSpeech final : public platform::TSpeechEngine {
public:
    QString Unavailable() const override { return {}; }
    void Say(const QString& sentence) override { said.push_back(sentence.toStdString()); }
    void Stop() override { ++stops; }
    void Pause() override { ++pauses; }
    void Resume() override { ++resumes; }
    void SetRate(double) override {}
    QStringList Voices() const override { return {QStringLiteral("test")}; }
    int Voice() const override { return 0; }
    void SetVoice(int) override {}
    void Finish() { emit Finished(); }
    void Fail() { emit Failed(QStringLiteral("no voice")); }

    std::vector<std::string> said;
    int stops = 0, pauses = 0, resumes = 0;
};

std::shared_ptr<const text::TextLoad> Loaded(const char* utf8) {
    QByteArray gbk = UnicodeToDisplayBytes(QString::fromUtf8(utf8));
    const auto size = static_cast<std::size_t>(gbk.size());
    return std::make_shared<text::TextLoad>(text::TextFeed{std::move(gbk), size, {}});
}

struct ReadAloudTest : testing::Test {
    FakeSpeech engine;
    TReadAloud reader{engine};
    int ended = 0;
    std::vector<std::size_t> shown;
    ReadAloudTest() {
        QObject::connect(&reader, &TReadAloud::TextEnded, [this] { ++ended; });
        QObject::connect(&reader, &TReadAloud::SentenceStarted,
                         [this](text::TSentence s) { shown.push_back(s.offset); });
    }
};

TEST_F(ReadAloudTest, SaysEachSentenceInTurnFromThePlaceToTheEnd) {
    // From the second line's start (byte 12): its indent is not said.
    reader.Start(Loaded("晋太元中。\r\n　　缘溪行。忘路之远近！\r\n忽逢桃花林"), 12);
    EXPECT_EQ(engine.said, std::vector<std::string>{"缘溪行。"});
    engine.Finish();
    engine.Finish();
    EXPECT_EQ(engine.said, (std::vector<std::string>{"缘溪行。", "忘路之远近！", "忽逢桃花林"}));
    EXPECT_EQ(shown, (std::vector<std::size_t>{16, 24, 38}));
    EXPECT_EQ(ended, 0);
    engine.Finish();
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(reader.Reading());
}

TEST_F(ReadAloudTest, APauseHoldsTheNextSentenceUntilResumed) {
    reader.Start(Loaded("甲。乙。"), 0);
    reader.Pause();
    engine.Finish(); // the engine was at the end of 甲。 as the pause came
    EXPECT_EQ(engine.said.size(), 1u);
    reader.Resume();
    EXPECT_EQ(engine.said, (std::vector<std::string>{"甲。", "乙。"}));
    EXPECT_EQ(engine.pauses, 1);
}

TEST_F(ReadAloudTest, StoppingOrAFailureEndsTheReadingQuietly) {
    int failed = 0;
    QObject::connect(&reader, &TReadAloud::Failed, [&] { ++failed; });
    reader.Start(Loaded("甲。乙。丙。"), 0);
    reader.Stop();
    engine.Finish();
    EXPECT_EQ(engine.said.size(), 1u);
    reader.Start(Loaded("甲。乙。丙。"), 0);
    engine.Fail();
    engine.Finish();
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(engine.said.size(), 2u);
    EXPECT_FALSE(reader.Reading());
    EXPECT_EQ(ended, 0);
}

TEST_F(ReadAloudTest, ATextStillArrivingIsFollowed) {
    const QByteArray first = UnicodeToDisplayBytes(QStringLiteral("甲。乙丙"));
    const QByteArray rest = UnicodeToDisplayBytes(QStringLiteral("丁。\r\n"));
    QByteArray buffer = first + QByteArray(rest.size(), '\0');
    std::atomic<bool> more = false;
    auto load = std::make_shared<text::TextLoad>(
        text::TextFeed{buffer, static_cast<std::size_t>(first.size()), [&](text::TextSink& sink) {
                           while (!more) std::this_thread::yield();
                           std::copy(rest.begin(), rest.end(), sink.data() + first.size());
                           sink.publish(static_cast<std::size_t>(first.size() + rest.size()));
                       }});
    reader.Start(load, 0);
    engine.Finish();
    EXPECT_EQ(engine.said, std::vector<std::string>{"甲。"}); // 乙丙 may go on
    more = true;
    load->waitLoaded();
    reader.TextGrew();
    EXPECT_EQ(engine.said, (std::vector<std::string>{"甲。", "乙丙丁。"}));
}

} // namespace
} // namespace orlenth
