// Finding on the real main window: the find bar opened with Ctrl+F, stepping with Enter,
// F3 and Shift+F3 round the text with the notice, the count, the hit highlighted on the
// second line of the page, Esc, a text replaced under a search; and 查找全部 over the
// built-in articles and a folder tab, a result opened onto the page.

#include "tests/app/AppFixture.h"

#include "app/FindAllDialog.h"
#include "app/FindBar.h"
#include "app/ReadingState.h"
#include "app/Unit1main.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/TabSet.h"
#include "framework/ui/Timer.h"
#include "library/WJKStringListItem.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

using namespace orlenth;
using apptest::Gbk;

namespace {

// 300 numbered lines; 寻找 stands in lines 40, 120 and 250.
const int kHitLines[] = {40, 120, 250};

QByteArray numberedText() {
    QByteArray text;
    for (int i = 0; i < 300; ++i) {
        text += Gbk("第") + QByteArray::number(i) + Gbk("行，");
        if (std::find(std::begin(kHitLines), std::end(kHitLines), i) != std::end(kHitLines))
            text += Gbk("在这里寻找它");
        text += "\r\n";
    }
    return text;
}

std::size_t offsetOfHit(const QByteArray& text, int k) {
    qsizetype at = -1;
    for (int i = 0; i <= k; ++i) at = text.indexOf(Gbk("寻找"), at + 1);
    return static_cast<std::size_t>(at);
}

struct Window {
    apptest::TDialogLog& log = apptest::SetUpProgram();
    TOrlenth form;
    QByteArray text = numberedText();

    Window() {
        form.Show();
        form.Widget()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.Widget()));
        form.Memo1->SetText(text);
        form.PaintBox1Paint(nullptr);
        QCoreApplication::processEvents();
    }
    QWidget* area() { return form.ScrollBox1->ClientWidget(); }
    TFindBar* bar() { return form.FindBar(); }
    QString result() { return bar()->Result()->text(); }
    int topLine() { return static_cast<int>(form.ScrollBox1->VertPosition() / form.LinePitch()); }
    // Ctrl+F on the page, then the pattern typed into the field.
    void openAndType(const char* utf8) {
        QTest::keyClick(area(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(bar()->isVisible());
        QCOMPARE(QApplication::focusWidget(), bar()->Field());
        apptest::Type(bar()->Field(), QString::fromUtf8(utf8));
    }
    // The bar says `says` (a search going round the end takes more than one step), and the
    // hit on show is hit k of the text, on the page's second line.
    void showsHit(int k, const char* says) {
        QTRY_COMPARE(result(), QString::fromUtf8(says));
        QVERIFY(form.FoundHit());
        QCOMPARE(form.FoundHit()->offset, offsetOfHit(text, k));
        QCOMPARE(form.FoundHit()->length, std::size_t{4});
        QCOMPARE(form.Memo1->LineAt(static_cast<std::uint32_t>(form.FoundHit()->offset)),
                 topLine() + 1);
    }
    // Pixels of the selection colour on the page as it is drawn now.
    int markedPixels() {
        const QImage image = area()->grab().toImage();
        const QRgb mark = QApplication::palette().color(QPalette::Highlight).rgb();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == mark) ++n;
        return n;
    }
};

} // namespace

class FindTest : public QObject {
    Q_OBJECT

private slots:
    void ctrlFOpensTheBarAndEnterGoesToTheHitWithContextAbove() {
        Window w;
        QVERIFY(!w.bar()->isVisible());
        QCOMPARE(w.markedPixels(), 0);
        w.openAndType("寻找");
        QTRY_COMPARE(w.result(), QString::fromUtf8("共 3 处"));
        QTest::keyClick(w.bar()->Field(), Qt::Key_Return);
        w.showsHit(0, "第 1 处 / 共 3 处");
        // Enter is the field's: the page's auto-scroll did not start.
        QVERIFY(!w.form.Timer1->Enabled());
        QVERIFY(w.markedPixels() > 0);
        QCOMPARE(w.bar()->Field()->accessibleName(), QString::fromUtf8("查找内容"));
        QCOMPARE(w.bar()->Result()->accessibleName(), QString::fromUtf8("查找结果"));
    }

    void aHitAcrossALineBreakIsMarkedOnBothLines() {
        Window w;
        // One long paragraph of equal characters; 寻 then ends the first display line and
        // 找 starts the second.
        QByteArray text = Gbk("一").repeated(2000);
        w.form.Memo1->SetText(text);
        QVERIFY(w.form.Memo1->FinalLineCount() > 2);
        const auto wrap = static_cast<qsizetype>(w.form.Memo1->LineStart(1));
        text.replace(wrap - 2, 4, Gbk("寻找"));
        w.form.Memo1->SetText(text);
        QCOMPARE(static_cast<qsizetype>(w.form.Memo1->LineStart(1)), wrap);
        w.text = text;
        w.openAndType("寻找");
        QTest::keyClick(w.bar()->Field(), Qt::Key_Return);
        QTRY_COMPARE(w.result(), QString::fromUtf8("第 1 处 / 共 1 处"));
        QCOMPARE(w.form.FoundHit()->offset, static_cast<std::size_t>(wrap - 2));
        // The marked rows of the page: two runs, one on each line, the gap between the lines
        // between them (a glyph's stroke may cover a whole row of the mark: a few rows
        // without it do not part a run).
        const QImage image = w.area()->grab().toImage();
        const QRgb mark = QApplication::palette().color(QPalette::Highlight).rgb();
        int runs = 0, last = -100;
        for (int y = 0; y < image.height(); ++y) {
            bool marked = false;
            for (int x = 0; x < image.width() && !marked; ++x) marked = image.pixel(x, y) == mark;
            if (!marked) continue;
            if (y - last > 4) ++runs;
            last = y;
        }
        QCOMPARE(runs, 2);
    }

    void f3AndShiftF3StepAndWrapWithANotice() {
        Window w;
        w.openAndType("寻找");
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers mods;
            int hit;
            const char* says;
        } steps[] = {
            {Qt::Key_F3, {}, 0, "第 1 处 / 共 3 处"},
            {Qt::Key_F3, {}, 1, "第 2 处 / 共 3 处"},
            {Qt::Key_Return, {}, 2, "第 3 处 / 共 3 处"},
            {Qt::Key_F3, {}, 0, "第 1 处 / 共 3 处，已从头开始"},
            {Qt::Key_F3, Qt::ShiftModifier, 2, "第 3 处 / 共 3 处，已从末尾开始"},
            {Qt::Key_Return, Qt::ShiftModifier, 1, "第 2 处 / 共 3 处"},
        };
        QTRY_COMPARE(w.result(), QString::fromUtf8("共 3 处"));
        for (const auto& s : steps) {
            QTest::keyClick(w.bar()->Field(), s.key, s.mods);
            w.showsHit(s.hit, s.says);
            if (QTest::currentTestFailed()) return;
        }
    }

    void firstSearchStartsFromThePlaceRead() {
        Window w;
        w.form.GoToPlace(static_cast<std::uint32_t>(offsetOfHit(w.text, 1) + 10));
        w.openAndType("寻找");
        QTest::keyClick(w.bar()->Field(), Qt::Key_F3);
        w.showsHit(2, "第 3 处 / 共 3 处");
    }

    void missingWordsAndEscape() {
        Window w;
        w.openAndType("没有的词");
        QTest::keyClick(w.bar()->Field(), Qt::Key_Return);
        QTRY_COMPARE(w.result(), QString::fromUtf8("没有找到"));
        QVERIFY(!w.form.FoundHit());
        QCOMPARE(w.form.ScrollBox1->VertPosition(), 0);
        // A full-width digit finds the plain one.
        w.bar()->Field()->clear();
        apptest::Type(w.bar()->Field(), QString::fromUtf8("第２"));
        QTest::keyClick(w.bar()->Field(), Qt::Key_Return);
        QTRY_VERIFY(w.form.FoundHit());
        QTest::keyClick(w.bar()->Field(), Qt::Key_Escape);
        QVERIFY(!w.bar()->isVisible());
        QCOMPARE(QApplication::focusWidget(), w.area());
        QVERIFY(!w.form.FoundHit());
        QCOMPARE(w.markedPixels(), 0);
        // Ctrl+F again: the last words, selected, so that typing replaces them.
        QTest::keyClick(w.area(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(w.bar()->Field()->selectedText(), QString::fromUtf8("第２"));
    }

    void aTextReplacedDuringASearchStopsIt() {
        Window w;
        w.openAndType("寻找");
        // A text long enough for the search to take several steps, its hit at the end.
        w.form.Memo1->SetText((QByteArray(98, 'x') + "\r\n").repeated(128 << 10) + Gbk("寻找"));
        QTest::keyClick(w.bar()->Field(), Qt::Key_Return);
        QVERIFY(!w.form.FoundHit());
        QCOMPARE(w.result().left(4), QString::fromUtf8("正在查找"));
        // Replaced before the search could go on.
        QByteArray other;
        for (int i = 0; i < 50; ++i) other += Gbk("另一篇，寻找两次寻找\r\n");
        w.form.Memo1->SetText(other);
        QVERIFY(!w.form.FoundHit());
        QTRY_COMPARE(w.result(), QString::fromUtf8("共 100 处"));
        QCoreApplication::processEvents();
        QVERIFY(!w.form.FoundHit());
        QCOMPARE(w.form.ScrollBox1->VertPosition(), 0);
        QTest::keyClick(w.bar()->Field(), Qt::Key_F3, Qt::ShiftModifier);
        QTRY_VERIFY(w.form.FoundHit());
        QCOMPARE(w.form.FoundHit()->offset,
                 static_cast<std::size_t>(other.lastIndexOf(Gbk("寻找"))));
        QTRY_COMPARE(w.result(), QString::fromUtf8("第 100 处 / 共 100 处，已从末尾开始"));
    }

    void findAllListsArticlesAndFolderFilesAndOpensOne() {
        QTemporaryDir books;
        Window w;
        // A word of a built-in article, put into two folder files, one of them UTF-8.
        const std::string article = w.form.WJKStringList2->GetArrayItem(2)->GetList().Text();
        // Its first three Chinese characters in a row.
        const QString whole = GbkToUnicode(article);
        QString word;
        for (const QChar c : whole) {
            word = c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF ? word + c : QString();
            if (word.size() == 3) break;
        }
        QCOMPARE(word.size(), 3);
        const auto write = [&](const char* name, const QByteArray& bytes) {
            QFile f(books.path() + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        write("a.txt", QByteArray::fromStdString(UnicodeToGbk(QStringLiteral("前言\r\n") + word)));
        write(
            "b.txt",
            (QString::fromUtf8("第一章 开头\n中间") + word + QString::fromUtf8("结尾\n")).toUtf8());
        w.form.OpenPath(QFile::encodeName(books.path()).toStdString());
        w.form.findAll->Execute();
        TFindAllDialog* all = w.form.FindAllWindow();
        QVERIFY(all && all->isVisible());
        all->windowHandle()->requestActivate();
        QTRY_COMPARE(QApplication::activeWindow(), all);
        QCOMPARE(QApplication::focusWidget(), all->Field());
        QCOMPARE(all->Field()->accessibleName(), QString::fromUtf8("查找内容"));
        all->Field()->setText(word);
        QTest::keyClick(all->Field(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!all->Searching(), 60'000);
        QTreeWidget* list = all->Results();
        QVERIFY(list->topLevelItemCount() >= 3);
        const QString folderTab =
            GbkToUnicode(w.form.TabSet1->Tabs()->Get(kFolderCategory).toStdString());
        QTreeWidgetItem* inB = nullptr;
        int builtIn = 0;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* row = list->topLevelItem(i);
            QVERIFY(
                row->text(2).contains(QString::fromUtf8("【") + word + QString::fromUtf8("】")));
            if (row->text(0) != folderTab)
                ++builtIn;
            else if (row->text(1) == QStringLiteral("b.txt"))
                inB = row;
        }
        QVERIFY(builtIn >= 1);
        QVERIFY(inB);
        QVERIFY(inB->text(2).startsWith(QString::fromUtf8("第一章 开头 中间【")));
        QVERIFY(all->Progress()->text().endsWith(
            QString::fromUtf8("篇，找到 %1 处").arg(list->topLevelItemCount())));
        // Enter on the row opens it: the folder tab, the file, the hit highlighted.
        list->setCurrentItem(inB);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(w.form.TabSet1->TabIndex(), kFolderCategory);
        QCOMPARE(
            GbkToUnicode(w.form.ListBox1->Items()->Get(w.form.ListBox1->ItemIndex()).toStdString()),
            QStringLiteral("b.txt"));
        QTRY_VERIFY(w.form.FoundHit());
        const QByteArray shown = w.form.Memo1->Text();
        QCOMPARE(shown.mid(static_cast<qsizetype>(w.form.FoundHit()->offset),
                           static_cast<qsizetype>(w.form.FoundHit()->length)),
                 QByteArray::fromStdString(UnicodeToGbk(word)));
        QVERIFY(w.bar()->isVisible());
        QCOMPARE(w.bar()->Field()->text(), word);
        // A built-in result opens its article.
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0) != folderTab) {
                list->setCurrentItem(list->topLevelItem(i));
                break;
            }
        all->OpenCurrent();
        QVERIFY(IsBuiltInCategory(w.form.TabSet1->TabIndex()));
        QTRY_VERIFY(w.form.FoundHit());
        QCOMPARE(w.form.Memo1->Text().mid(static_cast<qsizetype>(w.form.FoundHit()->offset), 6),
                 QByteArray::fromStdString(UnicodeToGbk(word)));
    }
};

QTEST_MAIN(FindTest)
#include "find_test.moc"
