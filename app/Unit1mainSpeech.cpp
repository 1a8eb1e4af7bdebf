// 朗读 on the main window: the text on show read aloud sentence by sentence from the top
// line, the sentence highlighted and kept in view, on into the next article as 前进 goes;
// 暂停朗读, 停止朗读, and the speed and the voice, kept with the settings.

#include "app/ReadAloud.h"
#include "app/Stepping.h"
#include "app/Unit1main.h"
#include "app/platform/Speech.h"
#include "app/settings/SettingsFile.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Application.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/Colors.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/TabSet.h"

#include <QActionGroup>

#include <algorithm>

namespace orlenth {

namespace {

const QString kRateKey = QStringLiteral("speech/rate");
const QString kVoiceKey = QStringLiteral("speech/voice");
constexpr int kVoiceNameMax = 200;

// 语速's choices, in the settings' units (hundredths of the engine's range).
struct RateChoice {
    const char* name;
    int rate;
};
constexpr RateChoice kRates[] = {{"慢", -50}, {"正常", 0}, {"快", 50}};

// How often a reading waiting for the rest of an arriving text looks again: the text may
// end without another line being wrapped.
constexpr int kArrivingLookMs = 100;

// The sentence being read is marked apart from the find bar's hit (the selection's colours):
// black on a light amber, fixed colours that read on the day and the night page alike.
constexpr TColor kSpokenBack = 0x0080E0FF;
constexpr TColor kSpokenText = 0x00000000;

} // namespace

struct TOrlenth::SpeechState {
    QObject receiver;
    // The engine is made at the first 朗读 (it starts the speech service) and kept; the
    // reader goes before it.
    std::unique_ptr<platform::TSpeechEngine> engine;
    std::unique_ptr<TReadAloud> reader;
    std::optional<text::TSentence> mark;
    bool revealPending = false;
    // The reading itself opens the next article: that text change does not stop it.
    bool stepping = false;
    // Bumped by every start and stop, so that a queued step of an old reading does nothing.
    std::uint64_t run = 0;
    int rate = 0;
    QString voice;
    std::unique_ptr<QMenu> rateMenu, voiceMenu;
    QTimer arriving;

    // The engine, made now if there is none, set to the chosen speed and voice; what it
    // says about itself when it cannot speak (it is not kept then: the reader may install
    // what is missing meanwhile).
    QString MakeEngine() {
        if (!engine) {
            engine = platform::MakeSpeechEngine();
            if (engine->Unavailable().isEmpty()) {
                engine->SetRate(rate / 100.0);
                if (!voice.isEmpty())
                    engine->SetVoice(static_cast<int>(engine->Voices().indexOf(voice)));
            }
        }
        QString why = engine->Unavailable();
        if (!why.isEmpty()) {
            reader.reset();
            engine.reset();
        }
        return why;
    }
};

void TOrlenth::SpeechStateDeleter::operator()(SpeechState* state) const {
    delete state;
}

bool TOrlenth::ReadingAloud() const {
    return speech_->reader && speech_->reader->Reading();
}

bool TOrlenth::ReadingPaused() const {
    return ReadingAloud() && speech_->reader->Paused();
}

std::optional<text::TSentence> TOrlenth::SpokenSentence() const {
    return ReadingAloud() ? speech_->mark : std::nullopt;
}

int TOrlenth::SpeechRate() const {
    return speech_->rate;
}

QString TOrlenth::SpeechVoice() const {
    return speech_->voice;
}

void TOrlenth::SetUpSpeech() {
    speech_.reset(new SpeechState);
    SpeechState& s = *speech_;
    if (settings_ && settings_->Reading()) {
        s.rate = settings_->Int(kRateKey, -100, 100).value_or(0);
        s.voice = settings_->String(kVoiceKey, kVoiceNameMax).value_or(QString());
    }
    // The keyboard reaches the items as every item of the menu: arrows and Enter; their
    // captions are their names for screen readers, check marks included.
    s.rateMenu = std::make_unique<QMenu>();
    s.rateMenu->setTitle(QString::fromUtf8("语速"));
    N38->QtAction()->setMenu(s.rateMenu.get());
    auto* group = new QActionGroup(s.rateMenu.get());
    for (const RateChoice& r : kRates) {
        QAction* item = s.rateMenu->addAction(QString::fromUtf8(r.name));
        item->setCheckable(true);
        item->setData(r.rate);
        group->addAction(item);
        const int rate = r.rate;
        QObject::connect(item, &QAction::triggered, &s.receiver,
                         [this, rate] { ChooseSpeechRate(rate); });
    }
    QObject::connect(s.rateMenu.get(), &QMenu::aboutToShow, &s.receiver,
                     [this] { FillRateMenu(); });
    FillRateMenu();
    s.voiceMenu = std::make_unique<QMenu>();
    s.voiceMenu->setTitle(QString::fromUtf8("声音"));
    N39->QtAction()->setMenu(s.voiceMenu.get());
    QObject::connect(s.voiceMenu.get(), &QMenu::aboutToShow, &s.receiver,
                     [this] { FillVoiceMenu(); });
    // Another text on show (another row, tab, file, encoding or script) ends the reading,
    // unless the reading opened it.
    QObject::connect(Memo1, &TMemo::TextChanged, &s.receiver, [this] {
        if (!speech_->stepping) {
            StopReadingAloud();
            return;
        }
        // The old text's sentence is not marked on the new one.
        speech_->mark.reset();
        speech_->revealPending = false;
    });
    QObject::connect(Memo1, &TMemo::LinesAdded, &s.receiver, [this] {
        if (speech_->revealPending) RevealSpokenSentence();
        if (ReadingAloud()) speech_->reader->TextGrew();
    });
    s.arriving.setInterval(kArrivingLookMs);
    QObject::connect(&s.arriving, &QTimer::timeout, &s.receiver, [this] {
        if (ReadingAloud()) speech_->reader->TextGrew();
        // Once the whole text is in, the reader has seen it whole: nothing more will come.
        if (!ReadingAloud() || Memo1->Load()->loaded()) speech_->arriving.stop();
    });
    UpdateSpeechActions();
}

// ---- the commands

void TOrlenth::readAloudExecute(TComponent*) {
    if (ReadingAloud()) {
        StopReadingAloud();
        return;
    }
    if (!MakeSpeechReady()) return;
    StartReadingAloud(PlaceRead());
}

void TOrlenth::readPauseExecute(TComponent*) {
    if (!ReadingAloud()) return;
    if (speech_->reader->Paused())
        speech_->reader->Resume();
    else
        speech_->reader->Pause();
    UpdateSpeechActions();
}

void TOrlenth::readStopExecute(TComponent*) {
    StopReadingAloud();
}

bool TOrlenth::MakeSpeechReady() {
    SpeechState& s = *speech_;
    const QString why = s.MakeEngine();
    if (!why.isEmpty()) {
        TMessageBoxRequest request;
        request.owner = Widget();
        request.caption = TApplication::Instance().Title();
        request.icon = TMessageIcon::Information;
        request.text = why;
        Dialogs().MessageBox(request);
        UpdateSpeechActions();
        return false;
    }
    if (!s.reader) {
        s.reader = std::make_unique<TReadAloud>(*s.engine);
        QObject::connect(s.reader.get(), &TReadAloud::SentenceStarted, &s.receiver,
                         [this](text::TSentence sentence) { SpokenSentenceStarted(sentence); });
        // After the engine's signal has run its course: the next article's opening replaces
        // the text the reader was reading. A stop or a start meanwhile cancels the step.
        QObject::connect(s.reader.get(), &TReadAloud::TextEnded, &s.receiver, [this] {
            QMetaObject::invokeMethod(
                &speech_->receiver, [this, run = speech_->run] { SpokenTextEnded(run); },
                Qt::QueuedConnection);
        });
        QObject::connect(s.reader.get(), &TReadAloud::Failed, &s.receiver,
                         [this](const QString& reason) {
                             StopReadingAloud();
                             TMessageBoxRequest request;
                             request.owner = Widget();
                             request.caption = TApplication::Instance().Title();
                             request.icon = TMessageIcon::Information;
                             request.text = QString::fromUtf8("朗读停止了：%1").arg(reason);
                             Dialogs().MessageBox(request);
                         });
    }
    return true;
}

void TOrlenth::StartReadingAloud(std::size_t offset) {
    SpeechState& s = *speech_;
    ++s.run;
    s.mark.reset();
    s.revealPending = false;
    s.reader->Start(Memo1->Load(), offset);
    if (s.reader->Reading()) s.arriving.start();
    UpdateSpeechActions();
    PaintBox1->Invalidate();
}

void TOrlenth::StopReadingAloud() {
    SpeechState& s = *speech_;
    ++s.run;
    if (s.reader) s.reader->Stop();
    s.arriving.stop();
    const bool marked = s.mark.has_value();
    s.mark.reset();
    s.revealPending = false;
    UpdateSpeechActions();
    if (marked) PaintBox1->Invalidate();
}

void TOrlenth::SpokenSentenceStarted(const text::TSentence& sentence) {
    SpeechState& s = *speech_;
    s.mark = sentence;
    s.revealPending = true;
    RevealSpokenSentence();
    PaintBox1->Invalidate();
}

void TOrlenth::SpokenTextEnded(std::uint64_t run) {
    SpeechState& s = *speech_;
    if (run != s.run || ReadingAloud()) return;
    const TitleSelection at{ListBox1->ItemIndex(), ListBox1->Count(), TabSet1->TabIndex(),
                            TabSet1->Tabs()->Count()};
    if (StepForward(at).kind == StepMove::Kind::None) {
        // The last article has been read.
        StopReadingAloud();
        return;
    }
    s.stepping = true;
    try {
        StepArticle('q');
    } catch (const std::exception& e) {
        s.stepping = false;
        StopReadingAloud();
        TApplication::Instance().ShowException(e);
        return;
    }
    s.stepping = false;
    if (run != s.run) return;
    StartReadingAloud(0);
}

void TOrlenth::UpdateSpeechActions() {
    const bool reading = ReadingAloud();
    readAloud->SetChecked(reading);
    readPause->SetEnabled(reading);
    readStop->SetEnabled(reading);
    readPause->SetCaption(
        UnicodeToDisplayBytes(QString::fromUtf8(ReadingPaused() ? "继续朗读" : "暂停朗读")));
}

// ---- 语速 and 声音

void TOrlenth::ChooseSpeechRate(int rate) {
    SpeechState& s = *speech_;
    s.rate = std::clamp(rate, -100, 100);
    if (s.engine) s.engine->SetRate(s.rate / 100.0);
    FillRateMenu();
    if (settings_ && settings_->Writing()) {
        settings_->Set(kRateKey, s.rate);
        settings_->Save();
    }
}

void TOrlenth::ChooseSpeechVoice(const QString& name) {
    SpeechState& s = *speech_;
    s.voice = name.left(kVoiceNameMax);
    if (s.engine) {
        const auto index = s.engine->Voices().indexOf(s.voice);
        if (index >= 0) s.engine->SetVoice(static_cast<int>(index));
    }
    if (settings_ && settings_->Writing()) {
        settings_->Set(kVoiceKey, s.voice);
        settings_->Save();
    }
}

void TOrlenth::FillRateMenu() {
    for (QAction* item : speech_->rateMenu->actions())
        item->setChecked(item->data().toInt() == speech_->rate);
}

void TOrlenth::FillVoiceMenu() {
    SpeechState& s = *speech_;
    qDeleteAll(s.voiceMenu->findChildren<QActionGroup*>());
    s.voiceMenu->clear();
    // Listing the voices needs the engine; one that cannot speak lists none and says so.
    const QStringList voices = s.MakeEngine().isEmpty() ? s.engine->Voices() : QStringList();
    if (voices.isEmpty()) {
        QAction* none = s.voiceMenu->addAction(QString::fromUtf8("没有可用的声音"));
        none->setEnabled(false);
        return;
    }
    const int current = s.engine->Voice();
    auto* group = new QActionGroup(s.voiceMenu.get());
    for (qsizetype i = 0; i < voices.size(); ++i) {
        QAction* item = s.voiceMenu->addAction(voices[i]);
        item->setCheckable(true);
        item->setChecked(i == current);
        group->addAction(item);
        const QString name = voices[i];
        QObject::connect(item, &QAction::triggered, &s.receiver,
                         [this, name] { ChooseSpeechVoice(name); });
    }
}

// ---- the sentence on the page

void TOrlenth::RevealSpokenSentence() {
    SpeechState& s = *speech_;
    if (!s.revealPending || !s.mark) return;
    const int count = Memo1->LineCount();
    if (count == 0) return;
    const auto last =
        static_cast<std::uint32_t>(s.mark->offset + std::max<std::size_t>(s.mark->length, 1) - 1);
    // Finding the lines must not wait for wrapping: the reveal waits for more lines instead.
    if (!Memo1->Wrapped() && Memo1->LineStart(count - 1) <= last) return;
    s.revealPending = false;
    const int first = Memo1->LineAt(static_cast<std::uint32_t>(s.mark->offset));
    const int end = Memo1->LineAt(last) + 1;
    const std::int64_t pitch = LinePitch();
    const std::int64_t top = ScrollBox1->VertPosition();
    const std::int64_t bottom = top + ScrollBox1->ViewLength();
    // While the whole sentence shows the page stays; otherwise its first line goes to the
    // page's second, one line of context above it, as a found hit does.
    if (std::int64_t{first} * pitch >= top && std::int64_t{end} * pitch <= bottom) return;
    GoToPlace(first > 0 ? Memo1->LineStart(first - 1) : 0);
}

bool TOrlenth::PaintSpokenLine(TCanvas& canvas, int line, int row, const QByteArray& text,
                               const ColumnCell* column) {
    if (!speech_ || !speech_->mark) return false;
    return PaintMarkedLine(canvas, line, row, text, speech_->mark->offset, speech_->mark->length,
                           kSpokenBack, kSpokenText, column);
}

} // namespace orlenth
