// What the reader keeps between runs, tried on the real main window from its real
// description: a window closed and built again over the same settings file (in a
// temporary config folder) comes back at the same place, look, bar and size; files keep
// their own places; 打开, drops, 最近打开 and bookmarks reach what they name.

#include "tests/app/AppFixture.h"

#include "app/BookmarksDialog.h"
#include "app/ProgramSettings.h"
#include "app/Unit1main.h"
#include "app/settings/SettingsFile.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/Colors.h"
#include "framework/ui/Font.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/TabSet.h"
#include "framework/ui/ToolBar.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>

#include <memory>

using namespace orlenth;
using apptest::Gbk;

namespace {

using Config = apptest::TConfig;
using apptest::WriteFile;

// A text of `lines` numbered lines, long enough to page through.
QByteArray numberedText(int lines, const char* what) {
    QByteArray text;
    for (int i = 0; i < lines; ++i) text += Gbk(what) + QByteArray::number(i) + "\r\n";
    return text;
}

// The settings file in its own config folder, read afresh for each window as a new run
// of the program would.

QStringList barNames(TOrlenth& form) {
    QStringList names;
    for (const TControl* c : form.ToolBar1->Ordered()) names << QString::fromStdString(c->Name());
    return names;
}

void waitWrapped(TOrlenth& form) {
    QTRY_VERIFY_WITH_TIMEOUT(form.Memo1->Wrapped(), 30'000);
}

// Three thousand numbered lines in traditional characters, for every encoding a file may have.
QString numberedNovel() {
    QString novel;
    for (int i = 0; i < 3000; ++i)
        novel += QStringLiteral("桃花源記，第%1行：緣溪行，忘路之遠近。\r\n").arg(i);
    return novel;
}

} // namespace

class LastingTest : public QObject {
    Q_OBJECT

private slots:
    void aClosedWindowComesBackAsItWasLeft() {
        Config config;
        QTemporaryDir books;
        WriteFile(books.path() + QStringLiteral("/a.txt"), numberedText(50, "甲"));
        WriteFile(books.path() + QStringLiteral("/b.txt"), numberedText(3000, "乙"));
        TLook look;
        QStringList bar;
        std::uint32_t place = 0;
        QSize size;
        {
            config.Open();
            auto& rec =
                apptest::SetUpProgram((books.path() + QStringLiteral("/b.txt")).toStdString());
            TOrlenth form;
            form.Show();
            waitWrapped(form);
            QCOMPARE(form.ListBox1->ItemIndex(), 1);
            for (int i = 0; i < 20; ++i) form.N8Click(nullptr);
            place = form.PlaceRead();
            QVERIFY(place > 0);
            // Another look: font, page colour, frame, margins, bar order, size.
            rec.confirm = true;
            rec.editFont = [](QFont& f, QColor& c) {
                f.setPointSize(20);
                f.setBold(true);
                c = QColor(0x12, 0x34, 0x56);
            };
            form.changeFntExecute(nullptr);
            rec.editColor = [](QColor& c) { c = QColor(0xAB, 0xCD, 0xEF); };
            form.changBJcolorExecute(nullptr);
            form.visBKExecute(nullptr);
            form.BieJieExecute(nullptr);
            std::vector<TControl*> reversed = form.ToolBar1->Ordered();
            std::reverse(reversed.begin(), reversed.end());
            form.ToolBar1->SetButtons(reversed);
            form.Widget()->resize(900, 650);
            look = form.CurrentLook();
            QVERIFY(look != form.DesignLook());
            bar = barNames(form);
            size = form.Widget()->size();
            place = form.PlaceRead();
            form.SaveSettings();
        }
        QVERIFY(QFile::exists(config.File()));
        // Started again without an argument: the folder, the file, the line, the look.
        config.Open();
        apptest::SetUpProgram();
        TOrlenth again;
        again.Show();
        QCOMPARE(again.TabSet1->Tabs()->Count(), 6);
        QCOMPARE(again.TabSet1->TabIndex(), kFolderCategory);
        QCOMPARE(again.ListBox1->ItemIndex(), 1);
        QTRY_COMPARE(again.PlaceRead(), place);
        QCOMPARE(again.CurrentLook(), look);
        QCOMPARE(barNames(again), bar);
        QCOMPARE(again.Widget()->size(), size);
        // And the design comes back on request.
        again.resetLookExecute(nullptr);
        QCOMPARE(again.CurrentLook(), again.DesignLook());
    }

    void aBuiltInArticleComesBackAtItsLine() {
        Config config;
        std::uint32_t place = 0;
        {
            config.Open();
            apptest::SetUpProgram();
            TOrlenth form;
            form.Show();
            form.TabSet1->SetTabIndex(2);
            form.ListBox1->SetItemIndex(3);
            form.ListBox1Click(nullptr);
            form.N8Click(nullptr);
            form.N8Click(nullptr);
            place = form.PlaceRead();
            form.SaveSettings();
        }
        config.Open();
        apptest::SetUpProgram();
        TOrlenth again;
        QCOMPARE(again.TabSet1->TabIndex(), 2);
        QCOMPARE(again.ListBox1->ItemIndex(), 3);
        QCOMPARE(again.PlaceRead(), place);
    }

    void everyFileKeepsItsOwnPlace() {
        Config config;
        config.Open();
        QTemporaryDir books;
        WriteFile(books.path() + QStringLiteral("/a.txt"), numberedText(2000, "甲"));
        WriteFile(books.path() + QStringLiteral("/b.txt"), numberedText(2000, "乙"));
        apptest::SetUpProgram(books.path().toStdString());
        TOrlenth form;
        form.Show();
        waitWrapped(form);
        for (int i = 0; i < 5; ++i) form.N8Click(nullptr);
        const std::uint32_t inA = form.PlaceRead();
        form.StepArticle('q'); // to b.txt, read from its top
        QCOMPARE(form.ListBox1->ItemIndex(), 1);
        QCOMPARE(form.PlaceRead(), 0u);
        form.N8Click(nullptr);
        const std::uint32_t inB = form.PlaceRead();
        form.StepArticle('h'); // back to a.txt: where it was left
        QTRY_COMPARE(form.PlaceRead(), inA);
        // Opened by another route, 打开: b.txt where it was left.
        form.OpenPath(QFile::encodeName(books.path() + QStringLiteral("/b.txt")).toStdString());
        QTRY_COMPARE(form.PlaceRead(), inB);
        // A file that shrank below its place opens at its top.
        form.StepArticle('h');
        WriteFile(books.path() + QStringLiteral("/b.txt"), numberedText(3, "乙"));
        form.StepArticle('q');
        QCOMPARE(form.PlaceRead(), 0u);
    }

    void openDropAndRecentReachWhatTheyName() {
        Config config;
        config.Open();
        QTemporaryDir books;
        QVERIFY(QDir(books.path()).mkdir(QStringLiteral("卷一")));
        QVERIFY(QDir(books.path()).mkdir(QStringLiteral("卷二")));
        const QString one = books.path() + QStringLiteral("/卷一");
        const QString two = books.path() + QStringLiteral("/卷二");
        WriteFile(one + QStringLiteral("/x.txt"), Gbk("卷一的x\r\n"));
        WriteFile(one + QStringLiteral("/y.txt"), Gbk("卷一的y\r\n"));
        WriteFile(two + QStringLiteral("/番外"), Gbk("卷二番外\r\n"));
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        QCOMPARE(form.TabSet1->Tabs()->Count(), 5);
        // 打开 a file: a folder tab is made, named after its folder, at that file.
        rec.openPaths = {one + QStringLiteral("/y.txt")};
        form.openPathExecute(nullptr);
        QCOMPARE(form.TabSet1->Tabs()->Count(), 6);
        QCOMPARE(DisplayTextToUnicode(form.TabSet1->Tabs()->Get(5)), QStringLiteral("卷一"));
        QCOMPARE(form.Memo1->Text(), Gbk("卷一的y\r\n"));
        // A drop of a file that is not *.txt: the tab is the other folder's, the file shown.
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(two + QStringLiteral("/番外"))});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(form.Widget(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.Widget(), &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(form.Memo1->Text(), Gbk("卷二番外\r\n"));
        QCOMPARE(form.TabSet1->Tabs()->Count(), 6);
        QCOMPARE(DisplayTextToUnicode(form.TabSet1->Tabs()->Get(5)), QStringLiteral("卷二"));
        // 打开 a folder: its first file.
        rec.openPaths = {one};
        form.openPathExecute(nullptr);
        QCOMPARE(form.Memo1->Text(), Gbk("卷一的x\r\n"));
        // 最近打开, newest first; a folder gone since is dropped from it, with a message.
        QMenu* recent = form.N18->QtAction()->menu();
        QVERIFY(recent);
        emit recent->aboutToShow();
        QStringList shown;
        for (const QAction* a : recent->actions()) shown << a->text();
        QCOMPARE(shown.size(), 3);
        QVERIFY(shown[0].endsWith(one));
        QVERIFY(shown[1].endsWith(two + QStringLiteral("/番外")));
        QVERIFY(QDir(two).removeRecursively());
        recent->actions()[1]->trigger();
        QTRY_COMPARE(rec.boxes.size(), std::size_t{1});
        QVERIFY(rec.boxes[0].text.contains(two));
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().size(), 2);
        recent->actions()[1]->trigger(); // 卷一/y.txt
        QTRY_COMPARE(form.Memo1->Text(), Gbk("卷一的y\r\n"));
        // A path that names nothing changes nothing and says so.
        QVERIFY_THROWS_EXCEPTION(std::exception, form.OpenPath("/nonexistent/orlenth"));
        QCOMPARE(form.Memo1->Text(), Gbk("卷一的y\r\n"));
    }

    void bookmarksGoWhereTheyWereMade() {
        Config config;
        config.Open();
        QTemporaryDir books;
        WriteFile(books.path() + QStringLiteral("/a.txt"), numberedText(2000, "甲"));
        auto& rec = apptest::SetUpProgram(books.path().toStdString());
        TOrlenth form;
        form.Show();
        waitWrapped(form);
        for (int i = 0; i < 7; ++i) form.N8Click(nullptr);
        const std::uint32_t marked = form.PlaceRead();
        form.addMarkExecute(nullptr);
        // Somewhere else entirely, then back through the bookmarks window.
        form.TabSet1->SetTabIndex(3);
        QString title;
        rec.modalLoop = [&](QWidget& w) {
            auto* list = w.findChild<QTreeWidget*>();
            if (!list || list->topLevelItemCount() != 1) return 0;
            title = list->topLevelItem(0)->text(0);
            list->setCurrentItem(list->topLevelItem(0));
            QTest::keyClick(list, Qt::Key_Return);
            return static_cast<QDialog&>(w).result();
        };
        form.marksExecute(nullptr);
        QCOMPARE(title, QStringLiteral("a.txt"));
        QCOMPARE(form.TabSet1->TabIndex(), kFolderCategory);
        QTRY_COMPARE(form.PlaceRead(), marked);
    }

    void aFullBookmarkListSaysWhichWent() {
        Config config;
        // As many bookmarks as are kept, from an earlier run: one more pushes the oldest out.
        QByteArray kept = "[bookmarks]\n";
        for (int i = 0; i < 10000; ++i)
            kept += "b" + QByteArray::number(i) + "=0, 0, , t, 0, 0, , " +
                    QByteArray::number(1000 + i) + "\n";
        QVERIFY(QDir().mkpath(QFileInfo(config.File()).absolutePath()));
        WriteFile(config.File(), kept);
        config.Open();
        QTemporaryDir books;
        WriteFile(books.path() + QStringLiteral("/a.txt"), numberedText(50, "甲"));
        apptest::SetUpProgram(books.path().toStdString());
        TOrlenth form;
        form.Show();
        waitWrapped(form);
        form.addMarkExecute(nullptr);
        QTRY_VERIFY(QToolTip::text().contains(QStringLiteral("a.txt")));
        QVERIFY2(QToolTip::text().contains(QStringLiteral("书签已满，删去了最早的 1 个")),
                 qPrintable(QToolTip::text()));
    }

    // A bookmark says how far in it lies by the text as shown, whatever the file's bytes on
    // disk: the last page is at the end and the middle halfway, in every encoding.
    void aBookmarksPositionIsMeasuredInTheTextShown_data() {
        QTest::addColumn<QByteArray>("encoding");
        for (const char* e : {"GBK", "UTF-8", "UTF-16LE", "Big5"})
            QTest::newRow(e) << QByteArray(e);
    }
    void aBookmarksPositionIsMeasuredInTheTextShown() {
        QFETCH(QByteArray, encoding);
        Config config;
        config.Open();
        QTemporaryDir books;
        const QString novel = numberedNovel();
        QStringEncoder encoder(encoding.constData(), QStringConverter::Flag::WriteBom);
        WriteFile(books.path() + QStringLiteral("/a.txt"), encoder.encode(novel));
        auto& rec = apptest::SetUpProgram(books.path().toStdString());
        TOrlenth form;
        form.Show();
        waitWrapped(form);
        // A mark on the last page and one halfway down, then what the bookmarks window says.
        for (const std::int64_t position :
             {form.ScrollBox1->MaxVertPosition(), form.ScrollBox1->MaxVertPosition() / 2}) {
            form.ScrollBox1->SetVertPosition(position);
            form.addMarkExecute(nullptr);
        }
        QList<double> percents;
        rec.modalLoop = [&](QWidget& w) {
            const auto* list = w.findChild<QTreeWidget*>();
            for (int row = 0; row < list->topLevelItemCount(); ++row)
                for (int c = 0; c < list->columnCount(); ++c)
                    if (const QString cell = list->topLevelItem(row)->text(c); cell.endsWith('%'))
                        percents << cell.chopped(1).toDouble();
            return 0;
        };
        form.marksExecute(nullptr);
        std::sort(percents.begin(), percents.end());
        QCOMPARE(percents.size(), 2);
        QVERIFY2(percents[0] >= 48 && percents[0] <= 52, qPrintable(QString::number(percents[0])));
        QVERIFY2(percents[1] >= 98.5 && percents[1] <= 100,
                 qPrintable(QString::number(percents[1])));
    }

    void anEncodingChosenForAFileIsKeptWithItsPlace() {
        Config config;
        config.Open();
        QTemporaryDir books;
        const QString novel = numberedNovel();
        QStringEncoder big5("Big5");
        WriteFile(books.path() + QStringLiteral("/a.txt"), big5.encode(novel));
        const auto menuOf = [](TOrlenth& form) {
            QMenu* menu = form.N23->QtAction()->menu();
            emit menu->aboutToShow();
            QStringList items;
            for (const QAction* a : menu->actions())
                if (!a->isSeparator())
                    items << (a->isChecked() ? QStringLiteral("*") : QString()) + a->text() +
                                 (a->isEnabled() ? QString() : QStringLiteral("-"));
            return items;
        };
        const auto choose = [](TOrlenth& form, const QString& name) {
            for (QAction* a : form.N23->QtAction()->menu()->actions())
                if (a->text() == name) a->trigger();
        };
        QByteArray lineRead;
        {
            apptest::SetUpProgram(books.path().toStdString());
            TOrlenth form;
            form.Show();
            waitWrapped(form);
            QVERIFY(menuOf(form).contains(QStringLiteral("*自动（Big5）")));
            for (int i = 0; i < 30; ++i) form.N8Click(nullptr);
            const std::uint32_t place = form.PlaceRead();
            lineRead = form.Memo1->Line(form.Memo1->LineAt(place));
            QVERIFY(lineRead.startsWith(Gbk("桃花源")));
            // Read as GB18030, the same bytes are other characters; read again as Big5, the
            // page comes back to the same line.
            choose(form, QStringLiteral("GB18030"));
            QTRY_VERIFY(menuOf(form).contains(QStringLiteral("*GB18030")));
            QTRY_VERIFY(!form.Memo1->Text().contains(Gbk("桃花源")));
            choose(form, QStringLiteral("Big5"));
            QTRY_VERIFY(menuOf(form).contains(QStringLiteral("*Big5")));
            QTRY_COMPARE(form.Memo1->Line(form.Memo1->LineAt(form.PlaceRead())), lineRead);
            QCOMPARE(form.PlaceRead(), place);
            form.SaveSettings();
        }
        {
            // The next run reads the file in the chosen encoding, at its place.
            config.Open();
            apptest::SetUpProgram(books.path().toStdString());
            TOrlenth form;
            form.Show();
            waitWrapped(form);
            QVERIFY(menuOf(form).contains(QStringLiteral("*Big5")));
            QTRY_COMPARE(form.Memo1->Line(form.Memo1->LineAt(form.PlaceRead())), lineRead);
            // A built-in article is GBK and nothing else.
            bool allow = true;
            form.TabSet1->SetTabIndex(0);
            form.TabSet1Change(form.TabSet1, 0, allow);
            QCOMPARE(menuOf(form).first(), QStringLiteral("自动-"));
        }
    }

    void nightAndDayColoursAreKeptEachInItsOwnSet() {
        Config config;
        const TColor nightPaper = 0x00102030, dayPaper = 0x00E0F0F0;
        TPageColors day;
        {
            config.Open();
            auto& rec = apptest::SetUpProgram();
            TOrlenth form;
            form.Show();
            day = {form.PaintBox1->Color(), form.PaintBox1->Canvas()->Pen()->Color(),
                   form.ScrollBox1->Color(), form.PaintBox1->Font()->Color()};
            form.nightExecute(nullptr);
            QVERIFY(form.night->Checked());
            QCOMPARE(form.PaintBox1->Color(), NightPreset().page);
            QCOMPARE(form.Memo1->Font()->Color(), NightPreset().text);
            QCOMPARE(form.ScrollBox1->Color(), NightPreset().edge);
            // The page is painted in them.
            const QImage page = form.PaintBox1->Widget()->grab().toImage();
            QCOMPARE(page.pixelColor(page.width() - 2, page.height() / 2),
                     ToQColor(NightPreset().page, QPalette()));
            // A colour command changes the set showing, the night one.
            rec.confirm = true;
            rec.editColor = [&](QColor& c) { c = ToQColor(nightPaper, QPalette()); };
            form.changBJcolorExecute(nullptr);
            form.nightExecute(nullptr);
            QCOMPARE(form.PaintBox1->Color(), day.page);
            QCOMPARE(form.PaintBox1->Font()->Color(), day.text);
            rec.editColor = [&](QColor& c) { c = ToQColor(dayPaper, QPalette()); };
            form.changBJcolorExecute(nullptr);
            form.nightExecute(nullptr);
            QCOMPARE(form.PaintBox1->Color(), nightPaper);
            form.SaveSettings();
        }
        {
            // The next run comes back at night, the day's own page colour waiting.
            config.Open();
            apptest::SetUpProgram();
            TOrlenth form;
            form.Show();
            QVERIFY(form.night->Checked());
            QCOMPARE(form.PaintBox1->Color(), nightPaper);
            QCOMPARE(form.PaintBox1->Canvas()->Pen()->Color(), NightPreset().frame);
            form.nightExecute(nullptr);
            QCOMPARE(form.PaintBox1->Color(), dayPaper);
            QCOMPARE(form.PaintBox1->Canvas()->Pen()->Color(), day.frame);
            // 恢复默认设置: the design's day, and the preset waiting for the night.
            form.nightExecute(nullptr);
            form.resetLookExecute(nullptr);
            QVERIFY(!form.night->Checked());
            QCOMPARE(form.PaintBox1->Color(), day.page);
            form.nightExecute(nullptr);
            QCOMPARE(form.PaintBox1->Color(), NightPreset().page);
        }
    }
};

QTEST_MAIN(LastingTest)
#include "lasting_test.moc"
