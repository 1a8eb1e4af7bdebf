#include "app/platform/Speech.h"

#include <QTextToSpeech>
#include <QVoice>

#include <algorithm>

namespace orlenth::platform {

namespace {

const char* const kEngineName = "speechd";

std::function<std::unique_ptr<TSpeechEngine>()>& Factory() {
    static std::function<std::unique_ptr<TSpeechEngine>()> factory;
    return factory;
}

// Mandarin first: the collection is Chinese. speech-dispatcher reports no locales for
// espeak-ng's voices, so they are told by name; the variants ("…+Adam") are left out.
bool IsChineseVoice(const QString& name) {
    return !name.contains(u'+') &&
           (name.startsWith(QLatin1String("Chinese")) || name.contains(QLatin1String("Mandarin")) ||
            name.contains(QLatin1String("Cantonese")));
}

class TSystemSpeech final : public TSpeechEngine {
public:
    TSystemSpeech() {
        if (!QTextToSpeech::availableEngines().contains(QLatin1String(kEngineName))) return;
        speech_ = std::make_unique<QTextToSpeech>(QLatin1String(kEngineName));
        if (speech_->state() == QTextToSpeech::Error) return;
        const QList<QVoice> all = speech_->availableVoices();
        for (const QVoice& v : all)
            if (IsChineseVoice(v.name())) voices_.append(v);
        if (voices_.isEmpty()) voices_ = all;
        if (!voices_.isEmpty()) SetVoice(0);
        QObject::connect(speech_.get(), &QTextToSpeech::stateChanged, this,
                         [this](QTextToSpeech::State state) {
                             if (state == QTextToSpeech::Ready && speaking_ && !stopping_) {
                                 speaking_ = false;
                                 emit Finished();
                             } else if (state == QTextToSpeech::Error) {
                                 speaking_ = false;
                                 emit Failed(speech_->errorString());
                             }
                         });
    }

    QString Unavailable() const override {
        const QString install = QString::fromUtf8(
            "安装 speech-dispatcher、speech-dispatcher-espeak-ng 和 qt6-speech-speechd-plugin"
            "（sudo apt install speech-dispatcher speech-dispatcher-espeak-ng "
            "qt6-speech-speechd-plugin）后再试。");
        if (!speech_) return QString::fromUtf8("没有找到朗读引擎。") + install;
        if (speech_->state() == QTextToSpeech::Error)
            return QString::fromUtf8("朗读引擎无法使用：%1。").arg(speech_->errorString()) +
                   install;
        if (voices_.isEmpty()) return QString::fromUtf8("朗读引擎没有可用的声音。") + install;
        return {};
    }

    void Say(const QString& sentence) override {
        if (!speech_) {
            emit Failed(Unavailable());
            return;
        }
        if (speaking_) Stop();
        speaking_ = true;
        speech_->say(sentence);
    }

    void Stop() override {
        if (!speech_) return;
        // The engine turns Ready as it stops: that is no sentence finished.
        stopping_ = true;
        speaking_ = false;
        speech_->stop();
        stopping_ = false;
    }

    void Pause() override {
        if (speech_) speech_->pause();
    }
    void Resume() override {
        if (speech_) speech_->resume();
    }
    void SetRate(double rate) override {
        if (speech_) speech_->setRate(std::clamp(rate, -1.0, 1.0));
    }
    QStringList Voices() const override {
        QStringList names;
        for (const QVoice& v : voices_) names.append(v.name());
        return names;
    }
    int Voice() const override { return voice_; }
    void SetVoice(int index) override {
        if (!speech_ || index < 0 || index >= voices_.size()) return;
        voice_ = index;
        speech_->setVoice(voices_[index]);
    }

private:
    std::unique_ptr<QTextToSpeech> speech_;
    QList<QVoice> voices_;
    int voice_ = -1;
    bool speaking_ = false;
    bool stopping_ = false;
};

} // namespace

std::unique_ptr<TSpeechEngine> MakeSpeechEngine() {
    if (Factory()) return Factory()();
    return std::make_unique<TSystemSpeech>();
}

void SetSpeechEngineFactory(std::function<std::unique_ptr<TSpeechEngine>()> factory) {
    Factory() = std::move(factory);
}

} // namespace orlenth::platform
