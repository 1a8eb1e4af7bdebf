// The pop-up menu's items and the tool bars' buttons as the window's description binds
// them: what each shows, and what choosing it does. Effects are judged on the window, not
// by the handler's name, so an item bound to a neighbour's handler fails.

#include "tests/app/AppFixture.h"
#include "tests/app/FakeSpeech.h"

#include "app/FindAllDialog.h"
#include "app/FindBar.h"
#include "app/Unit1main.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Colors.h"
#include "library/WJKStringListItem.h"

#include <QGuiApplication>
#include <QTreeWidget>
#include <QtTest>

#include <iterator>

using namespace orlenth;

namespace {

// Past the first screen of a long article, so that page up takes its middle branch and page down
// neither end.
constexpr int kPos = 500;
constexpr int kRow = 19; // long enough for it
// Three different colours, so that each colour command shows which one it offers.
constexpr int kPage = 0x00102030, kFrame = 0x00405060, kEdge = 0x00708090;

// A window where every command leaves a mark of its own: a title in the middle of the
// first category, the page scrolled down, the colours above. Its members below check the
// mark each command should leave.
struct Scene {
    apptest::TDialogLog& log = apptest::SetUpProgram();
    TOrlenth form;
    std::size_t modals = 0;

    Scene() {
        form.Show();
        QCoreApplication::processEvents();
        form.ListBox1->SetItemIndex(kRow);
        form.ListBox1Click(nullptr);
        form.ScrollBox1->SetVertPosition(kPos);
        form.PaintBox1->SetColor(kPage);
        form.PaintBox1->Canvas()->Pen()->SetColor(kFrame);
        form.ScrollBox1->SetColor(kEdge);
        // Words for 查找下一个 to find below the place read, typed into the closed bar.
        form.FindBar()->Field()->setText(QString::fromUtf8("，"));
        modals = log.modalWindows.size();
        // 朗读 speaks through an engine that says nothing.
        apptest::TFakeSpeech::Install();
    }
    ~Scene() { platform::SetSpeechEngineFactory({}); }
    std::int64_t pos() const { return form.ScrollBox1->VertPosition(); }
    // A page less the overlap of two pages: two font sizes and the page's Tag.
    int page() {
        return form.ScrollBox1->ClientHeight() - 2 * form.PageFontPoints() -
               static_cast<int>(form.PaintBox1->Tag());
    }
    void offered(int colour) {
        QCOMPARE(log.offeredColor, ToQColor(colour, QGuiApplication::palette()));
        QCOMPARE(log.owner, form.Widget());
    }
    void stepped(int row) {
        QCOMPARE(form.ListBox1->ItemIndex(), row);
        QCOMPARE(form.ArticleText(),
                 QByteArray::fromStdString(
                     form.WJKStringList0->GetArrayItem(row + 1)->GetList().Text()));
        QCOMPARE(pos(), 0);
    }

    void nothing() {
        QCOMPARE(pos(), kPos);
        QCOMPARE(form.ListBox1->ItemIndex(), kRow);
        QVERIFY(!log.owner);
        QCOMPARE(log.modalWindows.size(), modals);
        QVERIFY(!form.Timer1->Enabled() && form.Panel1->Visible());
    }
    void pageDown() { QCOMPARE(pos(), kPos + page()); }
    void pageUp() { QCOMPARE(pos(), kPos - page()); }
    void autoScroll() {
        QVERIFY(form.Timer1->Enabled() && form.TrackBar1->Visible());
        QVERIFY(form.N5->QtAction()->isChecked() && form.ToolButton7->Down());
    }
    void pageColour() { offered(kPage); }
    void frameColour() { offered(kFrame); }
    void edgeColour() { offered(kEdge); }
    void font() {
        QCOMPARE(log.offeredFont.family(), form.PaintBox1->Font()->ToQFont().family());
        QCOMPARE(log.offeredFont.pointSize(), form.PageFontPoints());
        QCOMPARE(log.owner, form.Widget());
    }
    void margins() {
        QVERIFY(!form.N11->QtAction()->isChecked());
        QCOMPARE(form.PaintBox1->Width(), form.ScrollBox1->Width() - 40);
    }
    void border() { QVERIFY(form.visBK->Checked() && form.N9->QtAction()->isChecked()); }
    void hideList() {
        QVERIFY(form.N4->QtAction()->isChecked() && form.ToolButton4->Down());
        QVERIFY(!form.Panel1->Visible() && !form.Splitter1->Visible());
    }
    void chooseToOpen() {
        QCOMPARE(log.openPathCalls.size(), std::size_t{1});
        QCOMPARE(log.openPathCalls[0].owner, form.Widget());
        QCOMPARE(pos(), kPos); // nothing chosen, nothing opened
    }
    void bookmarks() {
        QCOMPARE(log.modalWindows.size(), modals + 1);
        QCOMPARE(log.modalWindows.back(), QStringLiteral("bookmarksDialog"));
    }
    void addMark() {
        // The bookmarks window then lists the title read, at the line at the page's top.
        QString listed;
        log.modalLoop = [&](QWidget& w) {
            if (auto* list = w.findChild<QTreeWidget*>(); list && list->topLevelItemCount() == 1)
                listed = list->topLevelItem(0)->text(0);
            return 0;
        };
        form.marksExecute(nullptr);
        QCOMPARE(listed, DisplayTextToUnicode(form.ListBox1->Items()->Get(kRow)));
        QCOMPARE(pos(), kPos);
    }
    void columns() {
        QVERIFY(form.vertical->Checked() && form.N40->QtAction()->isChecked());
        QVERIFY(form.ScrollBox1->Columns() && form.Memo1->Columns());
    }
    void nightPage() {
        QVERIFY(form.night->Checked() && form.N34->QtAction()->isChecked());
        QCOMPARE(form.PaintBox1->Color(), NightPreset().page);
    }
    void resetLook() {
        QCOMPARE(form.CurrentLook(), form.DesignLook());
        QVERIFY(form.PaintBox1->Color() != kPage);
    }
    void about() {
        QCOMPARE(log.modalWindows.size(), modals + 1);
        QCOMPARE(log.modalWindows.back(), QStringLiteral("aboutKestrow"));
    }
    void customize() {
        QCOMPARE(log.modalWindows.size(), modals + 1);
        QCOMPARE(log.modalWindows.back(), QStringLiteral("ToolBarCustomizer"));
        QCOMPARE(pos(), kPos);
    }
    void contents() {
        QVERIFY(form.ChapterTree() && form.ChapterTree()->isVisible());
        QVERIFY(!form.ListBox1->Widget()->isVisible());
        QVERIFY(form.toc->Checked() && form.N24->QtAction()->isChecked());
        QCOMPARE(pos(), kPos);
    }
    void chapterRules() {
        QCOMPARE(log.modalWindows.size(), modals + 1);
        QCOMPARE(log.modalWindows.back(), QStringLiteral("chapterRulesDialog"));
        QCOMPARE(pos(), kPos);
    }
    void findBar() {
        QVERIFY(form.FindBar()->isVisible());
        QCOMPARE(form.Widget()->focusWidget(), form.FindBar()->Field());
        QVERIFY(!form.FoundHit());
        QCOMPARE(pos(), kPos);
    }
    void findNext() {
        QVERIFY(form.FindBar()->isVisible());
        QTRY_VERIFY(form.FoundHit());
        // The hit after the place read, with its line the page's second.
        QVERIFY(form.FoundHit()->offset >= form.PlaceRead());
        QCOMPARE(form.Memo1->LineAt(static_cast<std::uint32_t>(form.FoundHit()->offset)),
                 pos() / form.LinePitch() + 1);
    }
    void findAll() {
        QVERIFY(form.FindAllWindow() && form.FindAllWindow()->isVisible());
        QCOMPARE(log.modalWindows.size(), modals);
        QCOMPARE(pos(), kPos);
    }
    void readAloud() {
        QVERIFY(form.ReadingAloud() && form.N35->QtAction()->isChecked());
        QVERIFY(apptest::TFakeSpeech::Last());
        QCOMPARE(apptest::TFakeSpeech::Last()->said.size(), std::size_t{1});
        // The first sentence from the top line on, its line in view.
        const int line =
            form.Memo1->LineAt(static_cast<std::uint32_t>(form.SpokenSentence()->offset));
        QVERIFY(line >= kPos / form.LinePitch());
        QVERIFY(std::int64_t{line} * form.LinePitch() >= pos());
        QVERIFY(form.N36->QtAction()->isEnabled() && form.N37->QtAction()->isEnabled());
    }
    void close() { QVERIFY(!form.Widget()->isVisible()); }
    void forward() { stepped(kRow + 1); }
    void back() { stepped(kRow - 1); }
    void dropMenu() {
        QCOMPARE(log.menuPositions.size(), std::size_t{1});
        QCOMPARE(log.menuPositions[0], form.ToolButton3->Widget()->mapToGlobal(QPoint(0, 21)));
        QCOMPARE(pos(), kPos);
    }
};

using Effect = void (Scene::*)();

struct Command {
    const char* name;
    const char* shows; // the menu's text (a shortcut after a tab) or the button's caption
    const char* hint;  // a button's tooltip
    bool checked;      // the check mark or the pressed state at start
    Effect effect;
};

// PopupMenu1 from top to bottom, then ToolBar1 from left to right, then ToolBar2.
const Command kCommands[] = {
    {"N5", "滚屏\tEnter", "", false, &Scene::autoScroll},
    {"N8", "下翻页", "", false, &Scene::pageDown},
    {"N7", "上翻页", "", false, &Scene::pageUp},
    {"N35", "朗读\tF5", "", false, &Scene::readAloud},
    {"N36", "暂停朗读\tShift+F5", "", false, &Scene::nothing},
    {"N37", "停止朗读\tCtrl+F5", "", false, &Scene::nothing},
    {"N38", "语速", "", false, &Scene::nothing},
    {"N39", "声音", "", false, &Scene::nothing},
    {"N6", "-", "", false, &Scene::nothing},
    {"N17", "打开...\tCtrl+O", "", false, &Scene::chooseToOpen},
    {"N18", "最近打开", "", false, &Scene::nothing},
    {"N23", "编码", "", false, &Scene::nothing},
    {"N30", "简繁", "", false, &Scene::nothing},
    {"N19", "添加书签\tCtrl+D", "", false, &Scene::addMark},
    {"N20", "书签...\tCtrl+B", "", false, &Scene::bookmarks},
    {"N26", "-", "", false, &Scene::nothing},
    {"N24", "目录\tCtrl+T", "", false, &Scene::contents},
    {"N25", "章节规则...", "", false, &Scene::chapterRules},
    {"N27", "查找...\tCtrl+F", "", false, &Scene::findBar},
    {"N28", "查找下一个\tF3", "", false, &Scene::findNext},
    {"N29", "查找全部...\tShift+Ctrl+F", "", false, &Scene::findAll},
    {"N21", "-", "", false, &Scene::nothing},
    {"N2", "背景色...", "", false, &Scene::pageColour},
    {"N1", "字体...", "", false, &Scene::font},
    {"N10", "框架色...", "", false, &Scene::frameColour},
    {"N11", "边界", "", true, &Scene::margins},
    {"N9", "边框", "", false, &Scene::border},
    {"N12", "边缘色...", "", false, &Scene::edgeColour},
    {"N34", "夜间\tCtrl+N", "", false, &Scene::nightPage},
    {"N40", "竖排\tCtrl+L", "", false, &Scene::columns},
    {"N3", "-", "", false, &Scene::nothing},
    {"N4", "隐藏列表框", "", false, &Scene::hideList},
    {"N16", "工具栏设置...", "", false, &Scene::customize},
    {"N22", "恢复默认设置", "", false, &Scene::resetLook},
    {"N14", "-", "", false, &Scene::nothing},
    {"N13", "关于", "", false, &Scene::about},
    {"N15", "退出\tAlt+F4", "", false, &Scene::close},
    {"ToolButton3", "菜单", "", false, &Scene::dropMenu},
    {"ToolButton9", "", "", false, &Scene::nothing},
    {"ToolButton1", "字体", "改变文本字体", false, &Scene::font},
    {"ToolButton2", "背景", "改变文本背景色", false, &Scene::pageColour},
    {"ToolButton8", "", "", false, &Scene::nothing},
    {"ToolButton4", "隐藏", "隐藏或显示列表框", false, &Scene::hideList},
    {"ToolButton10", "", "", false, &Scene::nothing},
    {"ToolButton5", "前进", "", false, &Scene::forward},
    {"ToolButton6", "后退", "", false, &Scene::back},
    {"ToolButton11", "", "", false, &Scene::nothing},
    {"ToolButton7", "滚屏", "开始或结束滚屏", false, &Scene::autoScroll},
    {"ToolButton13", "上翻页", "", false, &Scene::pageUp},
    {"ToolButton12", "下翻页", "", false, &Scene::pageDown},
};
constexpr int kItems = 37;

} // namespace

class BindingsTest : public QObject {
    Q_OBJECT

private slots:
    void showsAndDoes_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < static_cast<int>(std::size(kCommands)); ++i)
            QTest::newRow(kCommands[i].name) << i;
    }
    void showsAndDoes() {
        QFETCH(int, row);
        const Command& c = kCommands[row];
        Scene s;
        QCOMPARE(s.pos(), kPos);
        if (row < kItems) {
            TMenuItem* item = s.form.PopupMenu1->Item(row);
            QCOMPARE(QString::fromStdString(item->Name()), QString::fromLatin1(c.name));
            QCOMPARE(item->QtAction()->isChecked(), c.checked);
            s.log.pick = row;
            s.form.PopupMenu1->Popup(QPoint(0, 0));
            QCOMPARE(s.log.menuTexts.size(), std::size_t{1});
            QCOMPARE(s.log.menuTexts[0].size(), kItems);
            QCOMPARE(s.log.menuTexts[0][row], QString::fromUtf8(c.shows));
        } else {
            std::vector<TControl*> order = s.form.ToolBar1->Ordered();
            for (TControl* b : s.form.ToolBar2->Ordered()) order.push_back(b);
            QCOMPARE(order.size(), std::size(kCommands) - kItems);
            auto* button =
                qobject_cast<TToolButton*>(order[static_cast<std::size_t>(row - kItems)]);
            QVERIFY(button);
            QCOMPARE(QString::fromStdString(button->Name()), QString::fromLatin1(c.name));
            QCOMPARE(GbkToUnicode(button->Caption().toStdString()), QString::fromUtf8(c.shows));
            QCOMPARE(button->Widget()->toolTip(), QString::fromUtf8(c.hint));
            QCOMPARE(button->Down(), c.checked);
            QTest::mouseClick(button->Widget(), Qt::LeftButton, {},
                              button->Widget()->rect().center());
        }
        (s.*c.effect)();
    }
};

QTEST_MAIN(BindingsTest)
#include "bindings_test.moc"
