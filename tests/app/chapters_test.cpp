// The table of contents (目录) on the real main window from its real description: a
// folder file's chapters listed with volumes as groups, Enter on one putting it at the top,
// Ctrl+Page Down / Up stepping between chapters, a text without headings cut into
// sections, a chosen rule kept for the file (in a temporary config folder), and a pattern
// that backtracks without end, which neither switching texts, closing the window nor typing
// in the rules window waits for.

#include "tests/app/AppFixture.h"

#include "app/ChapterRulesDialog.h"
#include "app/ProgramSettings.h"
#include "app/Unit1main.h"
#include "app/settings/FilePlaces.h"
#include "app/settings/SettingsFile.h"
#include "framework/text/HeadingTools.h"
#include "framework/ui/Actions.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/TabSet.h"
#include "framework/ui/Timer.h"
#include "framework/ui/ToolButton.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <thread>

using namespace orlenth;
using apptest::Gbk;

namespace {

// The settings file, open from the start.
class Config : public apptest::TConfig {
public:
    Config() { Open(); }
    void Reopen() { Open(); }
};

// Two volumes of three chapters each, every chapter long enough to page through.
QByteArray twoVolumes() {
    QByteArray text = Gbk("楔子\r\n") + Gbk("　　故事从这里开始。\r\n");
    const char* volumes[] = {"第一卷 山", "第二卷 海"};
    int chapter = 0;
    for (const char* volume : volumes) {
        text += Gbk(volume) + "\r\n";
        for (int c = 0; c < 3; ++c) {
            text += Gbk("第") + QByteArray::number(++chapter) + Gbk("章 路") + "\r\n";
            for (int line = 0; line < 80; ++line)
                text += Gbk("　　他走了很远的路，天也黑了。") + QByteArray::number(line) + "\r\n";
        }
    }
    return text;
}

// Prose alone: no line is a heading.
QByteArray noHeadings(int lines) {
    QByteArray text;
    for (int i = 0; i < lines; ++i)
        text += Gbk("　　这是没有标题的一段文字，写得很长很长。") + QByteArray::number(i) + "\r\n";
    return text;
}

// The window over a folder holding `file` with `bytes`, the page wrapped and the chapter
// scan done.
struct Reading {
    explicit Reading(const QString& dir, const QByteArray& bytes,
                     const QString& name = QStringLiteral("book.txt")) {
        apptest::WriteFile(dir + QLatin1Char('/') + name, bytes);
        log = &apptest::SetUpProgram((dir + QLatin1Char('/') + name).toStdString());
        form = std::make_unique<TOrlenth>();
        form->Show();
        // The window's shortcuts work in the active window only.
        [&] { QVERIFY(QTest::qWaitForWindowActive(form->Widget())); }();
        QTRY_VERIFY_WITH_TIMEOUT(form->Memo1->Wrapped(), 30'000);
    }
    QTreeWidget* openToc() {
        form->toc->Execute();
        QTreeWidget* tree = form->ChapterTree();
        [&] {
            QVERIFY(tree);
            QTRY_VERIFY_WITH_TIMEOUT((form->RefreshChapters(), !form->Chapters().empty() &&
                                                                   tree->topLevelItemCount() > 0 &&
                                                                   scanDone()),
                                     30'000);
        }();
        return tree;
    }
    bool scanDone() {
        // The list is final once a refresh leaves it as it was after the text was in.
        const std::size_t before = form->Chapters().size();
        form->RefreshChapters();
        return form->Memo1->Wrapped() && form->Chapters().size() == before &&
               (form->ChapterTree()->topLevelItemCount() == 0 ||
                form->ChapterTree()->topLevelItem(0)->text(0) != QStringLiteral("正在查找章节……"));
    }
    // The offset of the line at the top of the page.
    std::uint32_t top() {
        const int line = static_cast<int>(form->ScrollBox1->VertPosition() / form->LinePitch());
        return form->Memo1->LineStart(line);
    }
    std::uint32_t headingAt(const char* line) {
        return static_cast<std::uint32_t>(form->Memo1->Text().indexOf(Gbk(line)));
    }
    apptest::TDialogLog* log = nullptr;
    std::unique_ptr<TOrlenth> form;
};

// Lines that "(a+)+$" cannot decide within its bound: each gives up.
QByteArray backtrackingLines(int n) {
    QByteArray text;
    for (int i = 0; i < n; ++i) text += "aaaaaaaaaaaaaaaaaaaaaaaaa!\n";
    return text;
}

// How long `step` keeps the window's thread, in milliseconds.
template <typename F> qint64 timed(F step) {
    QElapsedTimer clock;
    clock.start();
    step();
    return clock.elapsed();
}

// The bound on what the window may spend on giving up a scan: the scans below take minutes
// when waited for.
constexpr qint64 kAtOnceMs = 2000;

QStringList childTexts(QTreeWidgetItem* item) {
    QStringList out;
    for (int i = 0; i < item->childCount(); ++i) out << item->child(i)->text(0);
    return out;
}

} // namespace

class ChaptersTest : public QObject {
    Q_OBJECT

private slots:
    void rulesWindowCountsWhatAChoiceFinds_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("says");
        QTest::addColumn<bool>("canChoose");
        const int byPattern = TChapterRulesDialog::kPatternRow;
        const int hui = static_cast<int>(text::HeadingRule::Hui) + 1;
        QTest::newRow("automatic") << 0 << QString() << QStringLiteral("找到 6000 个章节") << true;
        QTest::newRow("a rule without matches")
            << hui << QString() << QStringLiteral("没有找到章节") << true;
        QTest::newRow("a pattern") << byPattern << QStringLiteral("^第\\d+0章")
                                   << QStringLiteral("找到 600 个章节") << true;
        QTest::newRow("past the bound")
            << byPattern << QStringLiteral("章$") << QStringLiteral("至少找到 5000 个章节") << true;
        QTest::newRow("invalid") << byPattern << QStringLiteral("第(\\d")
                                 << QStringLiteral("正则表达式有误") << false;
        QTest::newRow("empty") << byPattern << QString() << QStringLiteral("请输入正则表达式")
                               << false;
    }
    void rulesWindowCountsWhatAChoiceFinds() {
        QFETCH(int, row);
        QFETCH(QString, pattern);
        QFETCH(QString, says);
        QFETCH(bool, canChoose);
        QByteArray bytes;
        for (int i = 1; i <= 6000; ++i)
            bytes += Gbk("第") + QByteArray::number(i) + Gbk("章") + "\n" + Gbk("正文。") + "\n";
        text::TextFeed feed;
        feed.buffer = bytes;
        feed.ready = static_cast<std::size_t>(bytes.size());
        TChapterRulesDialog dialog(std::make_shared<text::TextLoad>(std::move(feed)), {});
        dialog.findChild<QComboBox*>(QStringLiteral("chapterWay"))->setCurrentIndex(row);
        dialog.findChild<QLineEdit*>(QStringLiteral("chapterPattern"))->setText(pattern);
        QTRY_VERIFY_WITH_TIMEOUT(dialog.CountText().startsWith(says), 30'000);
        QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->isEnabled(),
                 canChoose);
        if (canChoose)
            QCOMPARE(text::ChapterChoice::Parse(dialog.Choice().Stored()), dialog.Choice());
    }

    void rulesWindowSaysHowManyLinesGaveUpAndTypingNeverWaits() {
        QByteArray bytes = backtrackingLines(300'000) + Gbk("第1章") + "\n" + Gbk("第2章") + "\n";
        text::TextFeed feed;
        feed.buffer = bytes;
        feed.ready = static_cast<std::size_t>(bytes.size());
        auto load = std::make_shared<text::TextLoad>(std::move(feed));
        TChapterRulesDialog dialog(load, {});
        dialog.findChild<QComboBox*>(QStringLiteral("chapterWay"))
            ->setCurrentIndex(TChapterRulesDialog::kPatternRow);
        auto* pattern = dialog.findChild<QLineEdit*>(QStringLiteral("chapterPattern"));
        // Typing on after a pattern that backtracks: each key gives up the count under way.
        pattern->setFocus();
        apptest::Type(pattern, QStringLiteral("(a+)+$"));
        QTRY_VERIFY_WITH_TIMEOUT(dialog.CountText().contains(QStringLiteral("行太复杂")), 30'000);
        const qint64 typing = timed([&] { apptest::Type(pattern, QStringLiteral("|^第")); });
        QVERIFY2(typing < kAtOnceMs, QByteArray::number(typing).constData());
        qInfo("typing three keys %lld ms", typing);
        // 300,000 lines at a fraction of a millisecond each: the count comes in a minute.
        QTRY_VERIFY_WITH_TIMEOUT(dialog.CountText().startsWith(QStringLiteral("找到 2 个章节")),
                                 120'000);
        QCOMPARE(dialog.CountText(),
                 QStringLiteral("找到 2 个章节；300000 行太复杂，没有比完，算作不是章节"));
        QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->isEnabled());
    }

    void aBacktrackingPatternNeverKeepsTheWindowWaiting_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("rule");
        QTest::newRow("nested plus, lines that give up")
            << backtrackingLines(100'000) << QStringLiteral("re:(a+)+$");
        // Just under the bound from every starting place: milliseconds a line, minutes in all.
        QTest::newRow("lines that cost the most")
            << (QByteArray(253, 'a') + "zb\n").repeated(20'000)
            << QStringLiteral("re:(?:a|a){0,11}bz");
    }
    void aBacktrackingPatternNeverKeepsTheWindowWaiting() {
        QFETCH(QByteArray, text);
        QFETCH(QString, rule);
        Config config;
        QTemporaryDir books;
        apptest::WriteFile(books.path() + QStringLiteral("/other.txt"), twoVolumes());
        Reading r(books.path(), text);
        // The rule is kept in the file's place record, as typed into 章节规则.
        r.form->ApplyChapterChoice(rule);
        r.form->toc->Execute();
        QTreeWidget* tree = r.form->ChapterTree();
        QVERIFY(tree);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("正在查找章节……"));
        // Another row while the scan runs: the other text's chapters, at once.
        const qint64 switching = timed([&] { r.form->StepArticle('q'); });
        QVERIFY2(switching < kAtOnceMs, QByteArray::number(switching).constData());
        QCOMPARE(r.form->ListBox1->ItemIndex(), 1);
        QTRY_VERIFY_WITH_TIMEOUT((r.form->RefreshChapters(), r.form->Chapters().size() == 9),
                                 30'000);
        // Back on the first text its kept rule runs again; closing the window does not wait.
        r.form->StepArticle('h');
        QCOMPARE(r.form->ListBox1->ItemIndex(), 0);
        QTRY_COMPARE((r.form->RefreshChapters(), tree->topLevelItem(0)->text(0)),
                     QStringLiteral("正在查找章节……"));
        const qint64 closing = timed([&] { r.form.reset(); });
        QVERIFY2(closing < kAtOnceMs, QByteArray::number(closing).constData());
        qInfo("switching %lld ms, closing %lld ms", switching, closing);
    }

    void listsVolumesAsGroupsAndComesBackToTheTitles() {
        Config config;
        QTemporaryDir books;
        Reading r(books.path(), twoVolumes());
        QTreeWidget* tree = r.openToc();
        QCOMPARE(tree->accessibleName(), QStringLiteral("目录"));
        QVERIFY(tree->isVisible());
        QVERIFY(!r.form->ListBox1->Widget()->isVisible());
        QVERIFY(!r.form->TabSet1->Widget()->isVisible());
        QVERIFY(r.form->toc->Checked());
        QCOMPARE(tree->topLevelItemCount(), 3);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("楔子"));
        QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("第一卷 山"));
        QCOMPARE(childTexts(tree->topLevelItem(1)),
                 QStringList({QStringLiteral("第1章 路"), QStringLiteral("第2章 路"),
                              QStringLiteral("第3章 路")}));
        QCOMPARE(tree->topLevelItem(2)->text(0), QStringLiteral("第二卷 海"));
        QCOMPARE(childTexts(tree->topLevelItem(2)).size(), 3);
        // The chapter being read is marked, and follows the reading.
        QCOMPARE(tree->currentItem(), tree->topLevelItem(0));
        QVERIFY(tree->currentItem()->font(0).bold());
        r.form->ScrollBox1->ClientWidget()->setFocus(); // reading, not in the list
        r.form->GoToPlace(r.headingAt("第5章 路") + 40);
        QTRY_VERIFY(
            (r.form->RefreshChapters(),
             tree->currentItem() && tree->currentItem()->text(0) == QStringLiteral("第5章 路")));
        QVERIFY(tree->currentItem()->font(0).bold());
        QVERIFY(!tree->topLevelItem(0)->font(0).bold());
        QVERIFY(r.form->ToolButton16->Down());
        // The second press (Ctrl+T) brings the titles back.
        QTest::keyClick(r.form->ScrollBox1->ClientWidget(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(!tree->isVisible());
        QVERIFY(r.form->ListBox1->Widget()->isVisible());
        QVERIFY(r.form->TabSet1->Widget()->isVisible());
        QVERIFY(!r.form->toc->Checked() && !r.form->ToolButton16->Down());
    }

    void theListGrowsAsTheTextArrivesKeepingTheReadersPlaceInIt() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        QByteArray whole;
        constexpr int kChapters = 400;
        for (int c = 1; c <= kChapters; ++c) {
            whole += Gbk("第") + QByteArray::number(c) + Gbk("章 路") + "\r\n";
            for (int line = 0; line < 30; ++line)
                whole += Gbk("　　他走了很远的路，天也黑了。") + QByteArray::number(line) + "\r\n";
        }
        // The first half is there at once, the rest when the test says.
        const std::size_t half = static_cast<std::size_t>(whole.size() / 2);
        std::atomic<bool> release{false};
        text::TextFeed feed{QByteArray(whole.size(), Qt::Uninitialized), half,
                            [&release, whole, half](text::TextSink& sink) {
                                while (!release && !sink.cancelled())
                                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                std::memcpy(sink.data() + half, whole.constData() + half,
                                            static_cast<std::size_t>(whole.size()) - half);
                                sink.publish(static_cast<std::size_t>(whole.size()));
                            }};
        std::memcpy(feed.buffer.data(), whole.constData(), half);
        form.Memo1->SetText(std::move(feed));
        form.toc->Execute();
        QTreeWidget* tree = form.ChapterTree();
        QVERIFY(tree);
        QTRY_VERIFY_WITH_TIMEOUT((form.RefreshChapters(), tree->topLevelItemCount() > 100), 30'000);
        const int before = tree->topLevelItemCount();
        QVERIFY(before < kChapters);
        // The reader has moved in the list meanwhile.
        tree->setFocus();
        QTreeWidgetItem* first = tree->topLevelItem(0);
        QTreeWidgetItem* chosen = tree->topLevelItem(50);
        tree->setCurrentItem(chosen);
        tree->scrollToItem(chosen);
        const int scrolled = tree->verticalScrollBar()->value();
        release = true;
        QTRY_VERIFY_WITH_TIMEOUT((form.RefreshChapters(), tree->topLevelItemCount() == kChapters),
                                 30'000);
        QCOMPARE(tree->topLevelItem(0), first);
        QCOMPARE(tree->currentItem(), chosen);
        QCOMPARE(chosen->text(0), QStringLiteral("第51章 路"));
        QCOMPARE(tree->verticalScrollBar()->value(), scrolled);
        QCOMPARE(tree->topLevelItem(kChapters - 1)->text(0), QStringLiteral("第400章 路"));
    }

    void enterOnAnItemPutsItsHeadingAtTheTop() {
        Config config;
        QTemporaryDir books;
        Reading r(books.path(), twoVolumes());
        QTreeWidget* tree = r.openToc();
        QTreeWidgetItem* fourth = tree->topLevelItem(2)->child(0);
        QCOMPARE(fourth->text(0), QStringLiteral("第4章 路"));
        tree->setFocus();
        tree->setCurrentItem(fourth);
        QTest::keyClick(tree, Qt::Key_Return);
        QTRY_COMPARE(r.top(), r.headingAt("第4章 路"));
        // Enter went to the item, not to 滚屏.
        QVERIFY(!r.form->Timer1->Enabled());
        QCOMPARE(tree->currentItem(), fourth);
    }

    void controlPageDownAndUpStepBetweenChapters() {
        Config config;
        QTemporaryDir books;
        Reading r(books.path(), twoVolumes());
        QWidget* page = r.form->ScrollBox1->ClientWidget();
        page->setFocus();
        // Whether or not the list shows: here it does not.
        QVERIFY(!r.form->ChapterTree());
        struct Step {
            Qt::Key key;
            const char* to;
        };
        const Step steps[] = {{Qt::Key_PageDown, "第一卷 山"}, {Qt::Key_PageDown, "第1章 路"},
                              {Qt::Key_PageDown, "第2章 路"},  {Qt::Key_PageUp, "第1章 路"},
                              {Qt::Key_PageUp, "第一卷 山"},   {Qt::Key_PageUp, "楔子"}};
        // The scan runs in the background: the first step waits for it.
        QTRY_VERIFY_WITH_TIMEOUT((r.form->RefreshChapters(), r.form->Chapters().size() == 9),
                                 30'000);
        for (const Step& step : steps) {
            QTest::keyClick(page, step.key, Qt::ControlModifier);
            QTRY_COMPARE(r.top(), r.headingAt(step.to));
        }
        // Inside a chapter, Ctrl+Page Up goes to its own start.
        r.form->GoToPlace(r.headingAt("第2章 路") + 200);
        QTRY_VERIFY(r.top() > r.headingAt("第2章 路"));
        QTest::keyClick(page, Qt::Key_PageUp, Qt::ControlModifier);
        QTRY_COMPARE(r.top(), r.headingAt("第2章 路"));
    }

    void aTextWithoutHeadingsSaysSoAndOffersSections() {
        Config config;
        QTemporaryDir books;
        const QByteArray text = noHeadings(2000); // about 90 KB
        Reading r(books.path(), text);
        QTreeWidget* tree = r.openToc();
        QVERIFY(r.form->ChaptersAreSections());
        QVERIFY(tree->topLevelItem(0)->text(0).startsWith(QStringLiteral("没有找到章节")));
        const int sections = tree->topLevelItemCount() - 1;
        QCOMPARE(static_cast<std::size_t>(sections), r.form->Chapters().size());
        const std::vector<text::Heading> cut = text::VirtualSections(
            std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
        QVERIFY(cut.size() >= 4);
        QCOMPARE(r.form->Chapters(), cut);
        QTreeWidgetItem* third = tree->topLevelItem(3);
        QVERIFY(third->text(0).startsWith(QStringLiteral("第 3 段")));
        tree->setFocus();
        tree->setCurrentItem(third);
        QTest::keyClick(tree, Qt::Key_Return);
        QTRY_COMPARE(r.top(), r.form->Chapters()[2].offset);
    }

    void aChosenRuleIsKeptForTheFile() {
        Config config;
        QTemporaryDir books;
        QByteArray text = twoVolumes();
        text += Gbk("第一回 另一种标题\r\n") + Gbk("　　正文。\r\n");
        apptest::WriteFile(books.path() + QStringLiteral("/other.txt"), twoVolumes());
        {
            Reading r(books.path(), text);
            r.openToc();
            QCOMPARE(r.form->Chapters().size(), 9u);
            // Chosen in the window: the live count says what the rule finds.
            QString counted;
            r.log->modalLoop = [&](QWidget& w) {
                auto* way = w.findChild<QComboBox*>(QStringLiteral("chapterWay"));
                if (!way) return 0;
                way->setCurrentIndex(static_cast<int>(text::HeadingRule::Hui) + 1); // 第N回
                auto& dialog = static_cast<TChapterRulesDialog&>(w);
                [&] {
                    QTRY_COMPARE_WITH_TIMEOUT(dialog.CountText(), QStringLiteral("找到 1 个章节"),
                                              30'000);
                }();
                counted = dialog.CountText();
                return static_cast<int>(QDialog::Accepted);
            };
            r.form->chapterRules->Execute();
            QCOMPARE(counted, QStringLiteral("找到 1 个章节"));
            QTRY_VERIFY_WITH_TIMEOUT((r.form->RefreshChapters(), r.form->Chapters().size() == 1),
                                     30'000);
            QCOMPARE(r.form->ChapterTree()->topLevelItem(0)->text(0),
                     QStringLiteral("第一回 另一种标题"));
        }
        // Opened again, by a new run of the program: the file keeps its rule, another file
        // in the folder does not have it.
        config.Reopen();
        {
            Reading r(books.path(), text);
            QTRY_VERIFY_WITH_TIMEOUT((r.form->RefreshChapters(), r.form->Chapters().size() == 1),
                                     30'000);
            r.form->StepArticle('q');
            QCOMPARE(r.form->ListBox1->ItemIndex(), 1);
            QTRY_VERIFY_WITH_TIMEOUT((r.form->RefreshChapters(), r.form->Chapters().size() == 9),
                                     30'000);
        }
    }
};

QTEST_MAIN(ChaptersTest)
#include "chapters_test.moc"
