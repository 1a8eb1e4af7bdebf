// The pop-up menu's items and the tool bars' buttons as the window's description binds
// them: what each shows, and what choosing it does. Effects are judged on the window, not
// by the handler's name, so an item bound to a neighbour's handler fails.

#include "tests/app/AppFixture.h"

#include "app/Unit1main.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Colors.h"
#include "library/WJKStringListItem.h"

#include <QGuiApplication>
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
// first category, the page scrolled down, the colours above.
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
        modals = log.modalWindows.size();
    }
    int pos() const { return form.ScrollBox1->VertPosition(); }
    // The overlap of two pages: two font sizes and the page's Tag.
    int overlap() { return 2 * form.PageFontPoints() + static_cast<int>(form.PaintBox1->Tag()); }
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
};

using Effect = void (*)(Scene&);

void nothing(Scene& s) {
    QCOMPARE(s.pos(), kPos);
    QCOMPARE(s.form.ListBox1->ItemIndex(), kRow);
    QVERIFY(!s.log.owner);
    QCOMPARE(s.log.modalWindows.size(), s.modals);
    QVERIFY(!s.form.Timer1->Enabled());
    QVERIFY(s.form.Panel1->Visible());
}
void pageDown(Scene& s) {
    QCOMPARE(s.pos(), kPos + s.form.ScrollBox1->ClientHeight() - s.overlap());
}
void pageUp(Scene& s) {
    QCOMPARE(s.pos(), kPos - s.form.ScrollBox1->ClientHeight() + s.overlap());
}
void autoScroll(Scene& s) {
    QVERIFY(s.form.Timer1->Enabled());
    QVERIFY(s.form.N5->QtAction()->isChecked());
    QVERIFY(s.form.ToolButton7->Down());
    QVERIFY(s.form.TrackBar1->Visible());
}
void pageColour(Scene& s) {
    s.offered(kPage);
}
void frameColour(Scene& s) {
    s.offered(kFrame);
}
void edgeColour(Scene& s) {
    s.offered(kEdge);
}
void font(Scene& s) {
    const QFont page = s.form.PaintBox1->Font()->ToQFont();
    QCOMPARE(s.log.offeredFont.family(), page.family());
    QCOMPARE(s.log.offeredFont.pointSize(), s.form.PageFontPoints());
    QCOMPARE(s.log.owner, s.form.Widget());
}
void margins(Scene& s) {
    QVERIFY(!s.form.N11->QtAction()->isChecked());
    QCOMPARE(s.form.PaintBox1->Width(), s.form.ScrollBox1->Width() - 40);
}
void border(Scene& s) {
    QVERIFY(s.form.visBK->Checked());
    QVERIFY(s.form.N9->QtAction()->isChecked());
}
void hideList(Scene& s) {
    QVERIFY(s.form.N4->QtAction()->isChecked());
    QVERIFY(s.form.ToolButton4->Down());
    QVERIFY(!s.form.Panel1->Visible());
    QVERIFY(!s.form.Splitter1->Visible());
}
void about(Scene& s) {
    QCOMPARE(s.log.modalWindows.size(), s.modals + 1);
    QCOMPARE(s.log.modalWindows.back(), QStringLiteral("aboutKestrow"));
}
void close(Scene& s) {
    QVERIFY(!s.form.Widget()->isVisible());
}
void forward(Scene& s) {
    s.stepped(kRow + 1);
}
void back(Scene& s) {
    s.stepped(kRow - 1);
}
void dropMenu(Scene& s) {
    QCOMPARE(s.log.menuPositions.size(), std::size_t{1});
    QCOMPARE(s.log.menuPositions[0], s.form.ToolButton3->Widget()->mapToGlobal(QPoint(0, 21)));
    QCOMPARE(s.pos(), kPos);
}

struct Command {
    const char* name;
    const char* shows; // the menu's text (a shortcut after a tab) or the button's caption
    const char* hint;  // a button's tooltip
    bool checked;      // the check mark or the pressed state at start
    Effect effect;
};

const Command kMenu[] = {
    {"N5", "滚屏\tEnter", "", false, autoScroll},
    {"N8", "下翻页", "", false, pageDown},
    {"N7", "上翻页", "", false, pageUp},
    {"N6", "-", "", false, nothing},
    {"N2", "背景色...", "", false, pageColour},
    {"N1", "字体...", "", false, font},
    {"N10", "框架色...", "", false, frameColour},
    {"N11", "边界", "", true, margins},
    {"N9", "边框", "", false, border},
    {"N12", "边缘色...", "", false, edgeColour},
    {"N3", "-", "", false, nothing},
    {"N4", "隐藏列表框", "", false, hideList},
    {"N14", "-", "", false, nothing},
    {"N13", "关于", "", false, about},
    {"N15", "退出\tAlt+F4", "", false, close},
};

// ToolBar1 from left to right, then ToolBar2.
const Command kButtons[] = {
    {"ToolButton3", "菜单", "", false, dropMenu},
    {"ToolButton9", "", "", false, nothing},
    {"ToolButton1", "字体", "改变文本字体", false, font},
    {"ToolButton2", "背景", "改变文本背景色", false, pageColour},
    {"ToolButton8", "", "", false, nothing},
    {"ToolButton4", "隐藏", "隐藏或显示列表框", false, hideList},
    {"ToolButton10", "", "", false, nothing},
    {"ToolButton5", "前进", "", false, forward},
    {"ToolButton6", "后退", "", false, back},
    {"ToolButton11", "", "", false, nothing},
    {"ToolButton7", "滚屏", "开始或结束滚屏", false, autoScroll},
    {"ToolButton13", "上翻页", "", false, pageUp},
    {"ToolButton12", "下翻页", "", false, pageDown},
};

template <std::size_t N> void rows(const Command (&table)[N]) {
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < N; ++i) QTest::newRow(table[i].name) << static_cast<int>(i);
}

} // namespace

class BindingsTest : public QObject {
    Q_OBJECT

private slots:
    void menuItemShowsAndDoes_data() { rows(kMenu); }
    void menuItemShowsAndDoes() {
        QFETCH(int, row);
        const Command& c = kMenu[row];
        Scene s;
        QCOMPARE(s.pos(), kPos);
        TMenuItem* item = s.form.PopupMenu1->Item(row);
        QCOMPARE(QString::fromStdString(item->Name()), QString::fromLatin1(c.name));
        QCOMPARE(item->QtAction()->isChecked(), c.checked);
        s.log.pick = row;
        s.form.PopupMenu1->Popup(QPoint(0, 0));
        QCOMPARE(s.log.menuTexts.size(), std::size_t{1});
        QCOMPARE(s.log.menuTexts[0].size(), static_cast<qsizetype>(std::size(kMenu)));
        QCOMPARE(s.log.menuTexts[0][row], QString::fromUtf8(c.shows));
        c.effect(s);
    }

    void toolButtonShowsAndDoes_data() { rows(kButtons); }
    void toolButtonShowsAndDoes() {
        QFETCH(int, row);
        const Command& c = kButtons[row];
        Scene s;
        QCOMPARE(s.pos(), kPos);
        std::vector<TControl*> order = s.form.ToolBar1->Ordered();
        for (TControl* b : s.form.ToolBar2->Ordered()) order.push_back(b);
        QCOMPARE(order.size(), std::size(kButtons));
        auto* button = qobject_cast<TToolButton*>(order[static_cast<std::size_t>(row)]);
        QVERIFY(button);
        QCOMPARE(QString::fromStdString(button->Name()), QString::fromLatin1(c.name));
        QCOMPARE(GbkToUnicode(button->Caption().toStdString()), QString::fromUtf8(c.shows));
        QCOMPARE(button->Widget()->toolTip(), QString::fromUtf8(c.hint));
        QCOMPARE(button->Down(), c.checked);
        QTest::mouseClick(button->Widget(), Qt::LeftButton, {}, button->Widget()->rect().center());
        c.effect(s);
    }
};

QTEST_MAIN(BindingsTest)
#include "bindings_test.moc"
