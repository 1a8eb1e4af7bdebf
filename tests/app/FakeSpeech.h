#pragma once
// A speech engine for the window tests: it says nothing, records what it is asked and
// finishes a sentence when the test says so. Install() makes the window's engines fakes
// and keeps the last one made within reach.

#include "app/platform/Speech.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace apptest {

class TFakeSpeech final : public orlenth::platform::TSpeechEngine {
public:
    // What Unavailable() answers for the engines made from now on.
    static QString& NextUnavailable() {
        static QString why;
        return why;
    }
    static TFakeSpeech*& Last() {
        static TFakeSpeech* last = nullptr;
        return last;
    }
    static void Install() {
        Last() = nullptr;
        NextUnavailable().clear();
        orlenth::platform::SetSpeechEngineFactory([] {
            auto engine = std::make_unique<TFakeSpeech>();
            engine->why = NextUnavailable();
            Last() = engine.get();
            return std::unique_ptr<orlenth::platform::TSpeechEngine>(std::move(engine));
        });
    }

    ~TFakeSpeech() override {
        if (Last() == this) Last() = nullptr;
    }
    QString Unavailable() const override { return why; }
    void Say(const QString& sentence) override {
        said.push_back(sentence);
        speaking = true;
    }
    void Stop() override {
        ++stops;
        speaking = false;
    }
    void Pause() override { ++pauses; }
    void Resume() override { ++resumes; }
    void SetRate(double r) override { rate = r; }
    QStringList Voices() const override { return voices; }
    int Voice() const override { return voice; }
    void SetVoice(int index) override {
        if (index >= 0 && index < voices.size()) voice = index;
    }
    // The sentence being said has been said.
    void Finish() {
        speaking = false;
        emit Finished();
    }

    QString why;
    std::vector<QString> said;
    bool speaking = false;
    int stops = 0, pauses = 0, resumes = 0;
    double rate = 0;
    QStringList voices{QStringLiteral("普通话"), QStringLiteral("粤语")};
    int voice = 0;
};

} // namespace apptest
