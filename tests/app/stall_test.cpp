// The window's thread never waits for work that the input decides: while a user works on big
// texts, the real main window never goes longer than StallLimit() without returning to its
// event loop, as TStallWatch measures it. Each row opens a folder, starts the watch once the
// window is up, and does what a user does, through the window's own menus and keys.
//
// The novels are ORLENTH_STALL_MB megabytes (64 unless set; the largest novel the reader
// takes is 300): enough that any pass over the whole text on the window's thread takes
// several times the limit.

#include "tests/app/AppFixture.h"

#include "app/FindAllDialog.h"
#include "app/FindBar.h"
#include "app/Unit1main.h"
#include "framework/text/ChapterScan.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/Menus.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

using namespace orlenth;
using apptest::Gbk;
using apptest::RunLoopUntil;
using apptest::TStallWatch;

namespace {

qint64 novelBytes() {
    const int mb = qEnvironmentVariableIntValue("ORLENTH_STALL_MB");
    return qint64{mb > 0 ? mb : 64} * 1'000'000;
}

// Chapters of a novel, headed 第N章, until `bytes`, in GBK or UTF-8.
void writeNovel(const QString& path, qint64 bytes, bool utf8) {
    QString body;
    for (int i = 0; i < 60; ++i)
        body += QString::fromUtf8("天下大势，分久必合，合久必分。周末七国分争，并入于秦。\r\n");
    const auto encode = [utf8](const QString& s) {
        return utf8 ? s.toUtf8() : QByteArray::fromStdString(UnicodeToGbk(s));
    };
    const QByteArray chapter = encode(body);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    for (int n = 1; f.size() < bytes; ++n) {
        f.write(encode(QString::fromUtf8("第%1章 风起\r\n").arg(n)));
        f.write(chapter);
    }
}

void writeFile(const QString& path, const QByteArray& bytes) {
    apptest::WriteFile(path, bytes);
}

// The folders the rows open, made once.
struct Books {
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.path() + QLatin1Char('/') + name; }

    Books() {
        for (const char* folder : {"novels", "utf8", "library", "patterns", "repetitive"})
            QVERIFY(QDir(dir.path()).mkdir(QLatin1String(folder)));
        const QByteArray small = Gbk("短篇\r\n一行而已。\r\n");
        writeNovel(Path("novels/a-novel.txt"), novelBytes(), false);
        writeFile(Path("novels/b-short.txt"), small);
        writeNovel(Path("utf8/novel.txt"), novelBytes(), true);
        // 查找全部 over 2,000 files with a hit each, then the novel, up to the results' cap.
        const QByteArray entry = Gbk("第一章\r\n") + Gbk("平平无奇的一行。\r\n").repeated(40) +
                                 Gbk("天下大势，分久必合。\r\n");
        for (int i = 0; i < 2000; ++i)
            writeFile(Path("library/") + QStringLiteral("%1.txt").arg(i, 4, 10, QLatin1Char('0')),
                      entry);
        QVERIFY(::symlink(QFile::encodeName(Path("novels/a-novel.txt")).constData(),
                          QFile::encodeName(Path("library/9999.txt")).constData()) == 0);
        // A rule that backtracks on every line: a regex engine tries 2^25 ways on each.
        writeFile(Path("patterns/a-lines.txt"),
                  QByteArray("aaaaaaaaaaaaaaaaaaaaaaaaa!\n").repeated(20000));
        writeFile(Path("patterns/b-short.txt"), small);
        // A find whose naive comparison costs pattern × text.
        writeFile(Path("repetitive/a.txt"), (QByteArray(10000, 'a') + "\n").repeated(3000));
    }
};

void selectRow(TOrlenth& form, int row) {
    form.ListBox1->SetItemIndex(row);
    form.ListBox1Click(nullptr);
}

void idle(int ms) {
    RunLoopUntil([] { return false; }, ms);
}

void waitWrapped(TOrlenth& form) {
    QVERIFY(RunLoopUntil([&] { return form.Memo1->Wrapped(); }, 120'000));
}

// The item of `menu` whose caption starts with `caption`, triggered as a click does.
void chooseIn(TMenuItem* item, const char* caption) {
    QMenu* menu = item->QtAction()->menu();
    emit menu->aboutToShow();
    for (QAction* a : menu->actions())
        if (a->text().startsWith(QString::fromUtf8(caption))) return a->trigger();
    QFAIL(caption);
}

// ---- what the user does, with the window open on the row's folder

void switchRowsWhileTheNovelWraps(TOrlenth& form) {
    for (int i = 0; i < 6; ++i) {
        selectRow(form, (i + 1) % 2);
        idle(150);
    }
    QCOMPARE(form.ListBox1->ItemIndex(), 0);
    waitWrapped(form);
    QVERIFY(form.Memo1->Load()->available() >= static_cast<std::size_t>(novelBytes()));
}

void switchEncodings(TOrlenth& form) {
    idle(200);
    for (const char* encoding : {"GB18030", "UTF-16 LE", "自动"}) {
        chooseIn(form.N23, encoding);
        idle(400);
    }
    QVERIFY(!form.EncodingOnShow()->Forced());
    waitWrapped(form);
    idle(300);
}

void switchScripts(TOrlenth& form) {
    idle(200);
    for (const char* script : {"繁體", "简体", "原文"}) {
        chooseIn(form.N30, script);
        idle(400);
    }
    QCOMPARE(form.ScriptOnShow(), platform::Script::Original);
    waitWrapped(form);
    idle(300);
}

void findAllOverTheFolder(TOrlenth& form) {
    form.findAll->Execute();
    TFindAllDialog* all = form.FindAllWindow();
    QVERIFY(all && all->isVisible());
    all->Field()->setText(QString::fromUtf8("天下"));
    QTest::keyClick(all->Field(), Qt::Key_Return);
    QVERIFY(RunLoopUntil([&] { return !all->Searching(); }, 120'000));
    QCOMPARE(all->Results()->topLevelItemCount(), static_cast<int>(TFindAllDialog::kMaxResults));
    QTest::keyClick(all, Qt::Key_Escape);
    idle(200);
}

void backtrackingChapterRule(TOrlenth& form) {
    text::ChapterChoice rule;
    rule.kind = text::ChapterChoice::Kind::Pattern;
    rule.pattern = QStringLiteral("(a+)+$");
    form.ApplyChapterChoice(rule.Stored());
    idle(300);
    selectRow(form, 1);
    idle(300);
}

void longFindPattern(TOrlenth& form) {
    QWidget* area = form.ScrollBox1->ClientWidget();
    QTest::keyClick(area, Qt::Key_F, Qt::ControlModifier);
    QLineEdit* field = form.FindBar()->Field();
    field->setText(QString(5000, QLatin1Char('a')) + QLatin1Char('b'));
    QTest::keyClick(field, Qt::Key_Return);
    idle(1000);
    QTest::keyClick(field, Qt::Key_Escape);
    idle(300);
}

void screenReaderOnTheNovel(TOrlenth& form) {
    QAccessibleInterface* page = QAccessible::queryAccessibleInterface(form.PaintBox1->Widget());
    QVERIFY(page);
    QAccessibleTextInterface* text = page->textInterface();
    QVERIFY(text);
    QVERIFY(text->characterCount() > 0);
    QVERIFY(!text->text(0, 100).isEmpty());
    text->characterRect(text->cursorPosition());
    waitWrapped(form);
    QVERIFY(text->characterCount() > 0);
}

using Act = void (*)(TOrlenth&);

QString describe(const TStallWatch& watch) {
    QStringList lengths;
    TStallWatch::Millis ended{0};
    for (const TStallWatch::Millis s : watch.Stalls()) {
        lengths << QString::number(s.count());
        ended = std::max(ended, s);
    }
    if (watch.Longest() > ended) lengths << QStringLiteral("one still going");
    return QStringLiteral("longest %1 ms, limit %2 ms; stalls over %3 ms: %4")
        .arg(watch.Longest().count())
        .arg(apptest::StallLimit().count())
        .arg(TStallWatch::kThreshold.count())
        .arg(lengths.isEmpty() ? QStringLiteral("none") : lengths.join(QStringLiteral(", ")));
}

} // namespace

Q_DECLARE_METATYPE(Act)

class StallTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Books> books_;

private slots:
    void initTestCase() { books_ = std::make_unique<Books>(); }
    void cleanupTestCase() { books_.reset(); }

    void theLoopIsNeverHeldLong_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<Act>("act");
        QTest::newRow("switching rows while a novel wraps")
            << QStringLiteral("novels") << &switchRowsWhileTheNovelWraps;
        QTest::newRow("编码 on a UTF-8 novel") << QStringLiteral("utf8") << &switchEncodings;
        QTest::newRow("简繁 on a novel") << QStringLiteral("novels") << &switchScripts;
        QTest::newRow("查找全部 over a large folder")
            << QStringLiteral("library") << &findAllOverTheFolder;
        QTest::newRow("a backtracking chapter rule, then another row")
            << QStringLiteral("patterns") << &backtrackingChapterRule;
        QTest::newRow("a long find pattern over a repetitive text")
            << QStringLiteral("repetitive") << &longFindPattern;
        QTest::newRow("a screen reader on a novel while it wraps")
            << QStringLiteral("novels") << &screenReaderOnTheNovel;
    }
    void theLoopIsNeverHeldLong() {
        QFETCH(QString, folder);
        QFETCH(Act, act);
        apptest::SetUpProgram(
            (books_->dir.path() + QLatin1Char('/') + folder + QLatin1Char('/')).toStdString());
        TOrlenth form;
        form.Show();
        form.Widget()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.Widget()));
        TStallWatch watch;
        act(form);
        if (QTest::currentTestFailed()) return;
        QVERIFY2(watch.Longest() <= apptest::StallLimit(), qPrintable(describe(watch)));
        qInfo("%s", qPrintable(describe(watch)));
    }

    // The watch itself: a handler that holds the loop is seen, with its length; a loop that
    // waits, however long, is not a stall.
    void theWatchSeesAHeldLoopAndNotAnIdleOne() {
        TStallWatch watch;
        idle(300);
        QCOMPARE(watch.Longest(), TStallWatch::Millis{0});
        QTimer::singleShot(0, [] { QThread::msleep(250); });
        idle(100);
        QVERIFY2(watch.Longest() >= TStallWatch::Millis{200}, qPrintable(describe(watch)));
        QVERIFY2(watch.Longest() < TStallWatch::Millis{1000}, qPrintable(describe(watch)));
        QVERIFY(!watch.Stalls().empty());
        watch.Reset();
        QCOMPARE(watch.Longest(), TStallWatch::Millis{0});
    }
};

QTEST_MAIN(StallTest)
#include "stall_test.moc"
