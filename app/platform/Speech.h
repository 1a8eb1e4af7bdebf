#pragma once
// A voice that reads one sentence at a time: the system's speech service through Qt's text
// to speech (the speech-dispatcher engine, whose espeak-ng module has a Mandarin voice), or
// whatever a test puts in its place. The reader never waits on it: every call returns at
// once and the engine says when a sentence has been spoken.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace orlenth::platform {

class TSpeechEngine : public QObject {
    Q_OBJECT

public:
    ~TSpeechEngine() override = default;

    // Why nothing can be spoken (no speech plugin, no speech service, an engine in error),
    // in words for the reader, with what to install; empty when the engine can speak.
    virtual QString Unavailable() const = 0;
    // Starts saying `sentence`; Finished follows once it has been said, Failed if it
    // cannot be. A sentence still being said is cut off first (without its Finished).
    virtual void Say(const QString& sentence) = 0;
    // Stops at once; no Finished follows for what was being said.
    virtual void Stop() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // -1 (slowest) to 1 (fastest), 0 the voice's own speed; values outside are clamped.
    virtual void SetRate(double rate) = 0;
    // The voices to choose from, by name, and the one in use (an index, -1 when none).
    virtual QStringList Voices() const = 0;
    virtual int Voice() const = 0;
    // An index outside Voices() is ignored.
    virtual void SetVoice(int index) = 0;

signals:
    void Finished();
    void Failed(const QString& why);
};

// The engine to read aloud with: the one a factory set with SetSpeechEngineFactory makes,
// or else the system's. Never null; check Unavailable().
std::unique_ptr<TSpeechEngine> MakeSpeechEngine();
// For tests: engines come from `factory` (an empty one puts the system's back).
void SetSpeechEngineFactory(std::function<std::unique_ptr<TSpeechEngine>()> factory);

} // namespace orlenth::platform
