#include "app/ReadAloud.h"

#include "framework/text/GbkDecoder.h"

#include <string>

namespace orlenth {

TReadAloud::TReadAloud(platform::TSpeechEngine& engine) : engine_(engine) {
    QObject::connect(&engine_, &platform::TSpeechEngine::Finished, this, [this] {
        if (!text_ || !current_) return;
        if (paused_) {
            // Said to its end just as the reader paused: the next waits for Resume.
            waiting_ = true;
            next_ = current_->offset + current_->length;
            return;
        }
        SayFrom(current_->offset + current_->length);
    });
    QObject::connect(&engine_, &platform::TSpeechEngine::Failed, this, [this](const QString& why) {
        if (!text_) return;
        Stop();
        emit Failed(why);
    });
}

TReadAloud::~TReadAloud() {
    if (text_) engine_.Stop();
}

void TReadAloud::Start(std::shared_ptr<const text::TextLoad> text, std::size_t offset) {
    Stop();
    text_ = std::move(text);
    SayFrom(offset);
}

void TReadAloud::Stop() {
    if (text_) engine_.Stop();
    text_.reset();
    current_.reset();
    waiting_ = false;
    paused_ = false;
}

void TReadAloud::Pause() {
    if (!text_ || paused_) return;
    paused_ = true;
    engine_.Pause();
}

void TReadAloud::Resume() {
    if (!text_ || !paused_) return;
    paused_ = false;
    if (waiting_)
        SayFrom(next_);
    else
        engine_.Resume();
}

void TReadAloud::TextGrew() {
    if (text_ && waiting_ && !paused_) SayFrom(next_);
}

void TReadAloud::SayFrom(std::size_t offset) {
    const bool complete = text_->loaded();
    const std::string_view bytes(text_->bytes(), text_->available());
    const std::optional<text::TSentence> sentence = text::NextSentence(bytes, offset, complete);
    if (!sentence) {
        if (!complete) {
            // The rest of the sentence is still being read from the file.
            waiting_ = true;
            next_ = offset;
            return;
        }
        Stop();
        emit TextEnded();
        return;
    }
    waiting_ = false;
    current_ = sentence;
    const std::u32string said =
        text::GbkDecoder::instance().decode(bytes.substr(sentence->offset, sentence->length));
    emit SentenceStarted(*sentence);
    // The window may have stopped the reading on seeing the sentence.
    if (text_) engine_.Say(QString::fromStdU32String(said));
}

} // namespace orlenth
