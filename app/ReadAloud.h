#pragma once
// Reading aloud, sentence by sentence (text::NextSentence) from a place in the text on
// show: each sentence goes to the speech engine, and the next one when the engine says it
// is done. The window highlights the sentence and follows it; at the end of the text it
// decides whether to go on into the next article. No widgets here.

#include "app/platform/Speech.h"
#include "framework/text/Sentences.h"
#include "framework/text/TextLoad.h"

#include <QObject>

#include <cstddef>
#include <memory>
#include <optional>

namespace orlenth {

class TReadAloud : public QObject {
    Q_OBJECT

public:
    // `engine` must outlive this.
    explicit TReadAloud(platform::TSpeechEngine& engine);
    ~TReadAloud() override;

    // Reads `text` from the first sentence at or after `offset` (a text still arriving is
    // followed as it comes: call TextGrew). Whatever was being read stops first.
    void Start(std::shared_ptr<const text::TextLoad> text, std::size_t offset);
    // Stops at once and forgets the text; nothing more is signalled.
    void Stop();
    void Pause();
    void Resume();
    bool Reading() const { return text_ != nullptr; }
    bool Paused() const { return paused_; }
    // The sentence being said.
    std::optional<text::TSentence> Current() const { return current_; }
    // More of the text arrived: reading goes on if it was waiting for it.
    void TextGrew();

signals:
    // A sentence is being said: the window shows it.
    void SentenceStarted(orlenth::text::TSentence sentence);
    // The last sentence of the text has been said (the reading has stopped).
    void TextEnded();
    // The engine could not say a sentence (the reading has stopped).
    void Failed(const QString& why);

private:
    void SayFrom(std::size_t offset);

    platform::TSpeechEngine& engine_;
    std::shared_ptr<const text::TextLoad> text_;
    std::optional<text::TSentence> current_;
    std::size_t next_ = 0;
    bool waiting_ = false; // for more text
    bool paused_ = false;
};

} // namespace orlenth
