// 朗读 on the real main window over a fake engine: reading from the top line with the
// sentence highlighted and followed, on into the next article, the end of the last one,
// another text opened by the reader, a page move, 暂停 and 继续, 停止, no engine at all, and
// the speed and the voice kept with the settings.

#include "tests/app/AppFixture.h"
#include "tests/app/FakeSpeech.h"

#include "app/ProgramSettings.h"
#include "app/Unit1main.h"
#include "app/settings/SettingsFile.h"
#include "framework/text/GbkDecoder.h"
#include "framework/text/Sentences.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/TabSet.h"
#include "library/WJKStringListItem.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

using namespace orlenth;
using apptest::TFakeSpeech;

namespace {

// Rows of the first category long enough for the page to follow the voice.
constexpr int kLongRow = 19;
// More sentences than any article has: a loop that reaches it has lost its way.
constexpr int kManySentences = 20000;

std::string_view BytesOf(const QByteArray& text) {
    return {text.constData(), static_cast<std::size_t>(text.size())};
}

// The sentences of `text` from `offset` on, as the reading cuts them.
std::vector<text::TSentence> SentencesOf(const QByteArray& text, std::size_t offset) {
    std::vector<text::TSentence> all;
    while (const auto s = text::NextSentence(BytesOf(text), offset, true)) {
        all.push_back(*s);
        offset = s->offset + s->length;
    }
    return all;
}

QString Said(const QByteArray& text, const text::TSentence& s) {
    return QString::fromStdU32String(
        text::GbkDecoder::instance().decode(BytesOf(text).substr(s.offset, s.length)));
}

struct Window {
    apptest::TDialogLog& log = apptest::SetUpProgram();
    TOrlenth form;

    Window() {
        TFakeSpeech::Install();
        form.Show();
        form.Widget()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.Widget()));
        QCoreApplication::processEvents();
    }
    ~Window() { platform::SetSpeechEngineFactory({}); }
    QWidget* area() { return form.ScrollBox1->ClientWidget(); }
    TFakeSpeech& engine() { return *TFakeSpeech::Last(); }
    void open(int tab, int row) {
        if (form.TabSet1->TabIndex() != tab) form.TabSet1->SetTabIndex(tab);
        form.ListBox1->SetItemIndex(row);
        form.ListBox1Click(nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(form.Memo1->Wrapped(), 30'000);
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(area(), k, m); }
    std::int64_t pos() { return form.ScrollBox1->VertPosition(); }
    // The sentence's lines, first and past the last, as the page lays them out.
    std::pair<int, int> linesOf(const text::TSentence& s) {
        return {form.Memo1->LineAt(static_cast<std::uint32_t>(s.offset)),
                form.Memo1->LineAt(static_cast<std::uint32_t>(s.offset + s.length - 1)) + 1};
    }
    bool wholeInView(const text::TSentence& s, std::int64_t top) {
        const auto [first, end] = linesOf(s);
        const std::int64_t pitch = form.LinePitch();
        return first * pitch >= top && end * pitch <= top + form.ScrollBox1->ClientHeight();
    }
    // Pixels of the colour the spoken sentence is marked in, on the page as drawn now.
    int markedPixels() {
        const QImage image = area()->grab().toImage();
        const QRgb mark = qRgb(0xFF, 0xE0, 0x80); // the light amber of the spoken sentence
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == mark) ++n;
        return n;
    }
    // Finishes sentences until `done` holds (the queued end of a text included); false when
    // it never does.
    template <typename Done> bool finishUntil(Done done) {
        for (int i = 0; i < kManySentences; ++i) {
            if (done()) return true;
            if (!TFakeSpeech::Last() || !form.ReadingAloud()) {
                QCoreApplication::processEvents();
                continue;
            }
            engine().Finish();
            QCoreApplication::processEvents();
        }
        return done();
    }
};

class Config {
public:
    Config() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path())); }
    ~Config() { SetProgramSettings(nullptr); }
    Config(const Config&) = delete;
    Config& operator=(const Config&) = delete;
    QString File() const { return dir_.path() + QStringLiteral("/orlenth/orlenth.conf"); }
    void Open() { SetProgramSettings(settings::TSettingsFile::Open(File())); }

private:
    QTemporaryDir dir_;
};

QAction* ItemOf(QMenu* menu, const char* name) {
    emit menu->aboutToShow();
    for (QAction* a : menu->actions())
        if (a->text() == QString::fromUtf8(name)) return a;
    return nullptr;
}

} // namespace

class SpeechTest : public QObject {
    Q_OBJECT

private slots:
    void f5ReadsFromTheTopLineAndThePageFollowsTheSentence() {
        Window w;
        w.open(0, kLongRow);
        const int pitch = w.form.LinePitch();
        w.form.ScrollBox1->SetVertPosition(3 * pitch);
        const std::uint32_t place = w.form.PlaceRead();
        QCOMPARE(place, w.form.Memo1->LineStart(3));
        const int unmarked = w.markedPixels();
        w.key(Qt::Key_F5);
        QVERIFY(w.form.ReadingAloud());
        QVERIFY(w.form.readAloud->Checked() && w.form.readStop->Enabled());
        const QByteArray text = w.form.ArticleText();
        const std::vector<text::TSentence> sentences = SentencesOf(text, place);
        QVERIFY(sentences.size() > 20);
        QCOMPARE(w.form.SpokenSentence(), std::optional(sentences[0]));
        QCOMPARE(w.engine().said, std::vector<QString>{Said(text, sentences[0])});
        // In view already: the page stays, the sentence is marked on it.
        QCOMPARE(w.pos(), 3 * pitch);
        QVERIFY(w.markedPixels() > unmarked);

        int moves = 0;
        for (std::size_t i = 1; i < sentences.size(); ++i) {
            const std::int64_t before = w.pos();
            w.engine().Finish();
            QCOMPARE(w.form.SpokenSentence(), std::optional(sentences[i]));
            QCOMPARE(w.engine().said.back(), Said(text, sentences[i]));
            QTRY_VERIFY(w.wholeInView(sentences[i], w.pos()));
            if (w.wholeInView(sentences[i], before)) {
                QCOMPARE(w.pos(), before);
            } else {
                // One line of context above the sentence, unless the page has reached its
                // end and can go no further.
                ++moves;
                if (w.pos() + w.form.ScrollBox1->ClientHeight() < w.form.ScrollBox1->VertRange())
                    QCOMPARE(w.form.PlaceRead(),
                             w.form.Memo1->LineStart(w.linesOf(sentences[i]).first - 1));
            }
        }
        QVERIFY(moves >= 2);
        QCOMPARE(w.form.ListBox1->ItemIndex(), kLongRow);
    }

    void atTheEndOfAnArticleItGoesOnIntoTheNext() {
        Window w;
        w.open(0, kLongRow);
        w.key(Qt::Key_F5);
        const int said = static_cast<int>(SentencesOf(w.form.ArticleText(), 0).size());
        QVERIFY(w.finishUntil([&] { return w.form.ListBox1->ItemIndex() != kLongRow; }));
        QCOMPARE(w.form.ListBox1->ItemIndex(), kLongRow + 1);
        const QByteArray next = QByteArray::fromStdString(
            w.form.WJKStringList0->GetArrayItem(kLongRow + 2)->GetList().Text());
        QCOMPARE(w.form.ArticleText(), next);
        QVERIFY(w.form.ReadingAloud());
        QCOMPARE(w.form.SpokenSentence(), std::optional(SentencesOf(next, 0).front()));
        QCOMPARE(static_cast<int>(w.engine().said.size()), said + 1);
        QCOMPARE(w.pos(), 0);
    }

    void itStopsAtTheEndOfTheLastArticle() {
        Window w;
        const int lastTab = w.form.TabSet1->Tabs()->Count() - 1;
        w.form.TabSet1->SetTabIndex(lastTab);
        const int lastRow = w.form.ListBox1->Count() - 1;
        w.open(lastTab, lastRow);
        w.key(Qt::Key_F5);
        const std::size_t sentences = SentencesOf(w.form.ArticleText(), w.form.PlaceRead()).size();
        std::optional<text::TSentence> last;
        QVERIFY(w.finishUntil([&] {
            if (w.form.SpokenSentence()) last = w.form.SpokenSentence();
            return !w.form.ReadingAloud();
        }));
        QCoreApplication::processEvents();
        QVERIFY(!w.form.ReadingAloud() && !w.form.SpokenSentence());
        QVERIFY(!w.form.readAloud->Checked() && !w.form.readPause->Enabled());
        QCOMPARE(w.engine().said.size(), sentences);
        // The last sentence, in view, is no longer marked.
        QVERIFY(last && w.wholeInView(*last, w.pos()));
        QCOMPARE(w.markedPixels(), 0);
        QCOMPARE(w.form.TabSet1->TabIndex(), lastTab);
        QCOMPARE(w.form.ListBox1->ItemIndex(), lastRow);
    }

    void fromTheLastArticleItGoesOnIntoTheFolderFileUntilItIsReadAgain() {
        Window w;
        QTemporaryDir books;
        QFile file(books.filePath(QStringLiteral("a.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray text = apptest::Gbk("第一章\r\n　　天亮了。鸟叫了！\r\n");
        file.write(text);
        file.close();
        w.form.OpenPath(QFile::encodeName(books.path()).toStdString());
        const int folderTab = w.form.TabSet1->Tabs()->Count() - 1;
        QCOMPARE(w.form.TabSet1->TabIndex(), folderTab);
        w.form.TabSet1->SetTabIndex(folderTab - 1);
        w.open(folderTab - 1, w.form.ListBox1->Count() - 1);
        w.key(Qt::Key_F5);
        QVERIFY(w.finishUntil([&] { return w.form.TabSet1->TabIndex() == folderTab; }));
        QTRY_VERIFY(w.form.Memo1->Load()->loaded());
        QCOMPARE(w.form.ArticleText(), text);
        QVERIFY(w.form.ReadingAloud());
        QCOMPARE(w.engine().said.back(), QString::fromUtf8("第一章"));
        w.engine().Finish();
        QCOMPARE(w.engine().said.back(), QString::fromUtf8("天亮了。"));
        // 编码 reads the file again: another text, the reading stops.
        w.form.ChooseEncoding(std::nullopt);
        QTRY_VERIFY(!w.form.ReadingAloud());
        QVERIFY(!w.form.SpokenSentence());
    }

    void anotherTextStopsItAPageMoveDoesNot() {
        Window w;
        w.open(0, kLongRow);
        w.key(Qt::Key_F5);
        w.engine().Finish();
        w.form.N8Click(nullptr);
        QVERIFY(w.form.ReadingAloud());
        w.engine().Finish();
        QCOMPARE(w.engine().said.size(), std::size_t{3});
        QCOMPARE(w.engine().stops, 0);
        // Another row, clicked by the reader.
        w.form.ListBox1->SetItemIndex(2);
        w.form.ListBox1Click(nullptr);
        QVERIFY(!w.form.ReadingAloud() && !w.form.SpokenSentence());
        QVERIFY(!w.form.readAloud->Checked() && !w.form.readStop->Enabled());
        QVERIFY(w.engine().stops >= 1);
        w.engine().Finish();
        QCoreApplication::processEvents();
        QCOMPARE(w.engine().said.size(), std::size_t{3});
        QCOMPARE(w.form.ListBox1->ItemIndex(), 2);
        // Another tab stops it too.
        w.key(Qt::Key_F5);
        QVERIFY(w.form.ReadingAloud());
        w.form.TabSet1->SetTabIndex(1);
        QVERIFY(!w.form.ReadingAloud());
    }

    void pauseResumeAndStopByKey() {
        Window w;
        w.open(0, 1);
        w.key(Qt::Key_F5);
        QVERIFY(w.form.ReadingAloud() && !w.form.ReadingPaused());
        w.key(Qt::Key_F5, Qt::ShiftModifier);
        QVERIFY(w.form.ReadingPaused());
        QCOMPARE(w.engine().pauses, 1);
        QCOMPARE(GbkToUnicode(w.form.readPause->Caption().toStdString()),
                 QString::fromUtf8("继续朗读"));
        // The sentence said to its end during the pause: the next one waits.
        w.engine().Finish();
        QCOMPARE(w.engine().said.size(), std::size_t{1});
        w.key(Qt::Key_F5, Qt::ShiftModifier);
        QVERIFY(!w.form.ReadingPaused() && w.form.ReadingAloud());
        QCOMPARE(w.engine().said.size(), std::size_t{2});
        QCOMPARE(GbkToUnicode(w.form.readPause->Caption().toStdString()),
                 QString::fromUtf8("暂停朗读"));
        w.key(Qt::Key_F5, Qt::ControlModifier);
        QVERIFY(!w.form.ReadingAloud() && !w.form.SpokenSentence());
        QVERIFY(!w.form.readPause->Enabled() && !w.form.readStop->Enabled());
        // F5 starts again from the top line, and F5 once more stops.
        w.key(Qt::Key_F5);
        QVERIFY(w.form.ReadingAloud());
        w.key(Qt::Key_F5);
        QVERIFY(!w.form.ReadingAloud());
    }

    void withoutAnEngineItSaysWhatToInstall() {
        Window w;
        const QString why = QString::fromUtf8("没有找到朗读引擎。安装 speech-dispatcher 后再试。");
        TFakeSpeech::NextUnavailable() = why;
        w.key(Qt::Key_F5);
        QCOMPARE(w.log.boxes.size(), std::size_t{1});
        QCOMPARE(w.log.boxes[0].text, why);
        QCOMPARE(w.log.boxes[0].owner, w.form.Widget());
        QVERIFY(!w.form.ReadingAloud() && !w.form.readAloud->Checked());
        QVERIFY(!TFakeSpeech::Last());
        w.key(Qt::Key_F5);
        QCOMPARE(w.log.boxes.size(), std::size_t{2});
        QMenu* voices = w.form.N39->QtAction()->menu();
        QAction* none = ItemOf(voices, "没有可用的声音");
        QVERIFY(none && !none->isEnabled());
        QCOMPARE(voices->actions().size(), 1);
        // Once there is one, it reads.
        TFakeSpeech::NextUnavailable().clear();
        w.key(Qt::Key_F5);
        QVERIFY(w.form.ReadingAloud());
        QCOMPARE(w.log.boxes.size(), std::size_t{2});
    }

    void speedAndVoiceAreKeptWithTheSettings() {
        Config config;
        config.Open();
        {
            Window w;
            QAction* fast = ItemOf(w.form.N38->QtAction()->menu(), "快");
            QVERIFY(fast);
            fast->trigger();
            QVERIFY(fast->isChecked());
            QAction* voice = ItemOf(w.form.N39->QtAction()->menu(), "粤语");
            QVERIFY(voice && !voice->isChecked());
            voice->trigger();
            QCOMPARE(w.engine().rate, 0.5);
            QCOMPARE(w.engine().voice, 1);
            QCOMPARE(w.form.SpeechVoice(), QString::fromUtf8("粤语"));
        }
        config.Open();
        Window w;
        QCOMPARE(w.form.SpeechRate(), 50);
        QCOMPARE(w.form.SpeechVoice(), QString::fromUtf8("粤语"));
        QVERIFY(ItemOf(w.form.N38->QtAction()->menu(), "快")->isChecked());
        w.key(Qt::Key_F5);
        QCOMPARE(w.engine().rate, 0.5);
        QCOMPARE(w.engine().voice, 1);
        QVERIFY(ItemOf(w.form.N39->QtAction()->menu(), "粤语")->isChecked());
    }
};

QTEST_MAIN(SpeechTest)
#include "speech_test.moc"
