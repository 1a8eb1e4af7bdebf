// The title list: how its rows are drawn, which selections reach OnClick, and that a
// list of tens of thousands of rows keeps its bearings.

#include "framework/ui/ListBox.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

using namespace orlenth;

namespace listboxtest {

class TOwner : public TComponent {
    Q_OBJECT
public:
    TListBox* list = nullptr;
    std::vector<int> clicks; // ItemIndex() at each OnClick
public slots:
    void ListBox1Click(orlenth::TComponent* sender) {
        EXPECT_EQ(sender, list);
        clicks.push_back(list->ItemIndex());
    }
};

} // namespace listboxtest

namespace {

constexpr TColor kBack = 0x00DEEBEF;

// A 200 × 100 list without a border, rows 20 high: five rows in sight.
struct List {
    listboxtest::TOwner owner;
    TListBox* list;
    explicit List(int rows = 10) : list(new TListBox(&owner)) {
        owner.list = list;
        list->SetBorderStyle(TListBox::bsNone);
        list->SetStyle(TListBox::lbOwnerDrawVariable);
        list->SetItemHeight(20);
        list->SetColor(kBack);
        list->SetParentFont(false);
        list->Font()->SetName("DejaVu Sans");
        list->Font()->SetHeight(-13);
        list->Font()->SetStyle(TFont::fsBold);
        list->SetBounds(QRect(0, 0, 200, 100));
        QByteArrayList items;
        for (int i = 0; i < rows; ++i) items.append("row " + QByteArray::number(i));
        list->Items()->SetStrings(items);
        list->BindEvent("OnClick", &owner, FindHandler(owner, "ListBox1Click"));
    }
    QImage Render() {
        QImage img(list->Widget()->size(), QImage::Format_RGB32);
        img.fill(Qt::magenta);
        list->Widget()->render(&img);
        return img;
    }
    void Key(int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(list->Widget(), &e);
    }
    void Press(int y) {
        const QPoint p(50, y);
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(p),
                      QPointF(list->ScrollArea()->viewport()->mapToGlobal(p)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->ScrollArea()->viewport(), &e);
    }
    // Gives the list the keyboard focus in a shown, active window.
    void Focus() {
        list->Widget()->show();
        list->Widget()->activateWindow();
        list->Widget()->setFocus();
        QApplication::processEvents();
    }
};

QColor paletteColor(const TListBox& l, QPalette::ColorRole role) {
    return l.Widget()->palette().color(role);
}

// The ink of row `row` (20 high): pixels that are neither the row's fill nor magenta.
struct Ink {
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    bool any() const { return right >= 0; }
};
Ink inkOf(const QImage& img, int row, const QColor& fill) {
    Ink ink;
    for (int y = row * 20; y < row * 20 + 20 && y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != fill) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

bool hasColor(const QImage& img, int row, const QColor& c) {
    for (int y = row * 20; y < row * 20 + 20; ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == c) return true;
    return false;
}

} // namespace

TEST(ListBox, DrawsRows) {
    List l(10);
    l.list->Items()->SetStrings({"row 0", "row 1", "a & b", "row 3",
                                 "a very long title that runs far past the right edge"});
    l.list->SetItemIndex(1);
    const QImage img = l.Render();
    const QColor back(0xEF, 0xEB, 0xDE),
        highlight = paletteColor(*l.list, QPalette::Highlight),
        highlightText = paletteColor(*l.list, QPalette::HighlightedText);
    ASSERT_NE(highlight, back);
    EXPECT_EQ(l.list->ScrollArea()->verticalScrollBar()->maximum(), 0) << "five rows fit";

    // Fills: the selected row in the highlight colour, exactly its 20 pixels.
    EXPECT_EQ(img.pixelColor(0, 19), back);
    EXPECT_EQ(img.pixelColor(0, 20), highlight);
    EXPECT_EQ(img.pixelColor(199, 39), highlight);
    EXPECT_EQ(img.pixelColor(0, 40), back);

    for (int row = 0; row < 5; ++row) {
        const bool selected = row == 1;
        const Ink ink = inkOf(img, row, selected ? highlight : back);
        ASSERT_TRUE(ink.any()) << row;
        // Two pixels in, with at most the glyph's own bearing.
        EXPECT_GE(ink.left, 2) << row;
        EXPECT_LE(ink.left, 4) << row;
        // One line, centred in the row.
        const int above = ink.top - row * 20, below = row * 20 + 19 - ink.bottom;
        EXPECT_LE(std::abs(above - below), 3) << row << ": " << above << " above, " << below;
        EXPECT_TRUE(hasColor(img, row, selected ? highlightText : QColor(Qt::black))) << row;
        if (!selected) {
            EXPECT_FALSE(hasColor(img, row, highlightText)) << row;
        }
    }
    EXPECT_EQ(inkOf(img, 4, back).right, 199) << "the long title runs to the edge";
    // "&" is drawn as itself: the row is wider than "a b" would be.
    EXPECT_GT(inkOf(img, 2, back).right - inkOf(img, 2, back).left, 20);
}

TEST(ListBox, RowsPastTheBottomBringTheScrollBar) {
    List l(5);
    EXPECT_EQ(l.list->ScrollArea()->verticalScrollBar()->maximum(), 0);
    l.list->Items()->Add("row 5");
    EXPECT_EQ(l.list->ScrollArea()->verticalScrollBar()->maximum(), 1);
    l.list->Items()->Clear();
    EXPECT_EQ(l.list->ScrollArea()->verticalScrollBar()->maximum(), 0);
}

TEST(ListBox, FocusRectangle) {
    List l(0);
    l.Focus();
    ASSERT_TRUE(l.list->Widget()->hasFocus());
    const QImage img = l.Render();
    const QColor back(0xEF, 0xEB, 0xDE), black(Qt::black);
    // Every other pixel of the first row's outline, and nothing else.
    EXPECT_EQ(img.pixelColor(0, 0), black);
    EXPECT_EQ(img.pixelColor(1, 0), back);
    EXPECT_EQ(img.pixelColor(2, 0), black);
    EXPECT_EQ(img.pixelColor(0, 19), black);
    EXPECT_EQ(img.pixelColor(0, 18), black);
    EXPECT_EQ(img.pixelColor(0, 17), back);
    EXPECT_EQ(img.pixelColor(198, 0), black);
    EXPECT_EQ(img.pixelColor(199, 18), black);
    EXPECT_EQ(img.pixelColor(100, 10), back);
    EXPECT_FALSE(inkOf(img, 1, back).any());

    // With rows, the frame goes round the selected row, in the highlight text colour.
    l.list->Items()->SetStrings({"a", "b", "c"});
    l.list->SetItemIndex(2);
    const QImage rows = l.Render();
    const QColor highlightText = paletteColor(*l.list, QPalette::HighlightedText);
    EXPECT_EQ(rows.pixelColor(0, 40), highlightText);
    EXPECT_EQ(rows.pixelColor(0, 0), back) << "no frame on the first row now";

    l.list->Widget()->clearFocus();
    EXPECT_EQ(l.Render().pixelColor(0, 40), paletteColor(*l.list, QPalette::Highlight));
    l.list->Widget()->hide();
}

TEST(ListBox, UserSelectionFiresOnClickOnce) {
    struct Row {
        const char* name;
        int start;
        int key; // 0: a mouse press at y = `press`
        int press;
        int index;
        bool fired;
    } rows[] = {
        {"down_from_nothing", -1, Qt::Key_Down, 0, 0, true},
        {"down", 2, Qt::Key_Down, 0, 3, true},
        {"up", 2, Qt::Key_Up, 0, 1, true},
        {"up_at_the_first_row", 0, Qt::Key_Up, 0, 0, false},
        {"down_at_the_last_row", 9, Qt::Key_Down, 0, 9, false},
        {"page_down", 0, Qt::Key_PageDown, 0, 4, true},
        {"page_down_near_the_end", 8, Qt::Key_PageDown, 0, 9, true},
        {"page_up", 9, Qt::Key_PageUp, 0, 5, true},
        {"home", 5, Qt::Key_Home, 0, 0, true},
        {"end", 0, Qt::Key_End, 0, 9, true},
        {"other_keys_select_nothing", 3, Qt::Key_A, 0, 3, false},
        {"press_on_a_row", -1, 0, 65, 3, true},
        {"press_on_the_selected_row", 3, 0, 65, 3, true},
        {"press_below_the_rows", 1, 0, 90, 1, false},
    };
    for (const auto& r : rows) {
        List l(r.press == 90 ? 4 : 10);
        l.list->SetItemIndex(r.start);
        if (r.key)
            l.Key(r.key);
        else
            l.Press(r.press);
        EXPECT_EQ(l.list->ItemIndex(), r.index) << r.name;
        EXPECT_EQ(l.owner.clicks, r.fired ? std::vector<int>{r.index} : std::vector<int>{})
            << r.name;
    }
}

TEST(ListBox, ProgramSelectionIsSilent) {
    List l(10);
    l.list->SetItemIndex(9);
    EXPECT_EQ(l.list->ItemIndex(), 9);
    EXPECT_EQ(l.list->TopIndex(), 5) << "scrolled into view";
    l.list->SetItemIndex(0);
    EXPECT_EQ(l.list->TopIndex(), 0);
    l.list->SetItemIndex(10);
    EXPECT_EQ(l.list->ItemIndex(), -1) << "out of range deselects";
    l.list->SetItemIndex(4);
    l.list->Items()->SetStrings({"x", "y"});
    EXPECT_EQ(l.list->ItemIndex(), -1) << "a new filling selects nothing";
    l.list->SetItemIndex(1);
    l.list->Items()->Add("z");
    EXPECT_EQ(l.list->ItemIndex(), -1);
    EXPECT_TRUE(l.owner.clicks.empty());
}

TEST(ListBox, TensOfThousandsOfRows) {
    List l(0);
    QByteArrayList items;
    for (int i = 0; i < 50000; ++i) items.append("title " + QByteArray::number(i));
    l.list->Items()->SetStrings(items);
    EXPECT_EQ(l.list->ScrollArea()->verticalScrollBar()->maximum(), 49995);
    l.Key(Qt::Key_End);
    EXPECT_EQ(l.list->ItemIndex(), 49999);
    EXPECT_EQ(l.list->TopIndex(), 49995);
    EXPECT_EQ(l.list->ItemAtPos(QPoint(5, 85)), 49999);
    EXPECT_EQ(l.list->ItemRect(49999).top(), 80);
    EXPECT_EQ(l.list->ItemRect(49999).height(), 20);
    // Only the rows in sight are drawn: the last one is where its rectangle says.
    const QImage img = l.Render();
    const QColor highlight = paletteColor(*l.list, QPalette::Highlight);
    EXPECT_EQ(img.pixelColor(1, 81), highlight);
    EXPECT_EQ(img.pixelColor(1, 79), QColor(0xEF, 0xEB, 0xDE));
    EXPECT_EQ(l.owner.clicks, std::vector<int>{49999});
}

#include "list_box_test.moc"
