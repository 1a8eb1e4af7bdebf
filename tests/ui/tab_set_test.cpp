// The category tab strip: the order of a tab change and its refusal, clicks on tabs, the
// arrow buttons that appear when the tabs outgrow the strip, and how the tabs are drawn.

#include "framework/ui/TabSet.h"

#include "framework/text/TextEncoding.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <gtest/gtest.h>

using namespace orlenth;

namespace tabsettest {

class TOwner : public TComponent {
    Q_OBJECT
public:
    TTabSet* tabs = nullptr;
    bool allow = true;
    // (TabIndex() during the call, the tab asked for)
    std::vector<std::pair<int, int>> calls;
public slots:
    void TabSet1Change(orlenth::TComponent* sender, int newTab, bool& allowChange) {
        EXPECT_EQ(sender, tabs);
        EXPECT_TRUE(allowChange) << "the handler is asked with the change allowed";
        calls.emplace_back(tabs->TabIndex(), newTab);
        allowChange = allow;
    }
};

} // namespace tabsettest

namespace {

QByteArray gbk(const char* utf8) {
    const std::string s = UnicodeToGbk(QString::fromUtf8(utf8));
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

const QByteArrayList& categories() {
    static const QByteArrayList list{gbk("推荐"), gbk("网文"), gbk("军事"), gbk("游戏"),
                                     gbk("Kestrow")};
    return list;
}

struct Strip {
    tabsettest::TOwner owner;
    TTabSet* tabs;
    explicit Strip(int width = 400) : tabs(new TTabSet(&owner)) {
        owner.tabs = tabs;
        tabs->SetBounds(QRect(0, 0, width, 25));
        tabs->Font()->SetHeight(-13);
        tabs->Font()->SetName(gbk("宋体"));
        tabs->Tabs()->SetStrings(categories());
    }
    void Bind() { tabs->BindEvent("OnChange", &owner, FindHandler(owner, "TabSet1Change")); }
    void Click(const QPoint& p) {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(p), QPointF(tabs->Widget()->mapToGlobal(p)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tabs->Widget(), &e);
    }
};

using Calls = std::vector<std::pair<int, int>>;

} // namespace

TEST(TabSet, ChangeOrder) {
    struct Row {
        const char* name;
        int start;
        int target;
        bool allow;
        Calls calls;
        int final;
    } rows[] = {
        {"handler_sees_the_old_index", 0, 2, true, {{0, 2}}, 2},
        {"refusal_keeps_the_old_index", 0, 2, false, {{0, 2}}, 0},
        {"from_no_tab", -1, 4, true, {{-1, 4}}, 4},
        {"same_index_does_nothing", 1, 1, true, {}, 1},
        {"past_the_last_tab_is_ignored", 1, 5, true, {}, 1},
        {"below_minus_one_is_ignored", 1, -2, true, {}, 1},
        {"minus_one_deselects_without_asking", 1, -1, true, {}, -1},
    };
    for (const auto& r : rows) {
        Strip s;
        s.tabs->SetTabIndex(r.start);
        s.Bind();
        s.owner.allow = r.allow;
        s.tabs->SetTabIndex(r.target);
        EXPECT_EQ(s.owner.calls, r.calls) << r.name;
        EXPECT_EQ(s.tabs->TabIndex(), r.final) << r.name;
    }
}

TEST(TabSet, ClickOnATabSelectsItThroughTheHandler) {
    Strip s;
    s.tabs->SetTabIndex(0);
    s.Bind();
    s.Click(s.tabs->TabRect(3).center());
    EXPECT_EQ(s.owner.calls, (Calls{{0, 3}}));
    EXPECT_EQ(s.tabs->TabIndex(), 3);
    s.Click(s.tabs->TabRect(3).center());
    EXPECT_EQ(s.owner.calls.size(), 1u) << "a click on the selected tab asks nothing";
    s.Click(QPoint(390, 10));
    EXPECT_EQ(s.tabs->TabIndex(), 3) << "a click beside the tabs selects nothing";
    s.owner.allow = false;
    s.Click(s.tabs->TabRect(1).center());
    EXPECT_EQ(s.tabs->TabIndex(), 3);
}

TEST(TabSet, TabsLieSideBySideFromTheStartMargin) {
    Strip s;
    EXPECT_EQ(s.tabs->TabRect(0).left(), 5);
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(s.tabs->TabRect(i).left(), s.tabs->TabRect(i - 1).right() + 1) << i;
        EXPECT_EQ(s.tabs->TabRect(i).height(), 20) << i;
    }
    EXPECT_GT(s.tabs->TabRect(4).width(), s.tabs->TabRect(0).width())
        << "a tab is as wide as its caption";
    EXPECT_TRUE(s.tabs->TabRect(5).isEmpty());
}

TEST(TabSet, WhileLoadingTheIndexIsOnlyStored) {
    Strip s;
    s.Bind();
    s.tabs->SetLoading();
    s.tabs->SetTabIndex(0);
    s.tabs->Loaded();
    EXPECT_TRUE(s.owner.calls.empty());
    EXPECT_EQ(s.tabs->TabIndex(), 0);
}

TEST(TabSet, DroppingTheSelectedTabDeselects) {
    Strip s;
    s.tabs->SetTabIndex(4);
    s.tabs->Tabs()->SetStrings({gbk("推荐"), gbk("网文")});
    EXPECT_EQ(s.tabs->TabIndex(), -1);
}

TEST(TabSet, ASixthTabThatDoesNotFitShowsTheArrows) {
    Strip s;
    // Exactly as wide as the five tabs and the margins need.
    const int needed = s.tabs->TabRect(4).right() + 1 + s.tabs->EndMargin();
    s.tabs->SetWidth(needed);
    EXPECT_FALSE(s.tabs->ScrollerVisible());
    EXPECT_TRUE(s.tabs->ScrollButton(true)->isHidden());

    s.tabs->Tabs()->Add(gbk("我的收藏"));
    ASSERT_TRUE(s.tabs->ScrollerVisible());
    QAbstractButton* forward = s.tabs->ScrollButton(true);
    QAbstractButton* back = s.tabs->ScrollButton(false);
    EXPECT_FALSE(forward->isHidden());
    EXPECT_EQ(forward->geometry().right(), needed - 1) << "at the strip's right end";
    EXPECT_LT(back->geometry().right(), forward->geometry().left());
    EXPECT_TRUE(s.tabs->TabRect(5).isEmpty()) << "the sixth tab is out of sight";
    for (int i = 0; i < 6; ++i) {
        const QRect r = s.tabs->TabRect(i);
        if (!r.isEmpty()) {
            EXPECT_LE(r.right(), back->geometry().left()) << i;
        }
    }
    EXPECT_FALSE(back->isEnabled());
    EXPECT_TRUE(forward->isEnabled());

    // Scrolling forward until the last tab shows.
    int clicks = 0;
    while (forward->isEnabled() && clicks < 6) {
        forward->click();
        ++clicks;
    }
    EXPECT_GT(s.tabs->FirstIndex(), 0);
    EXPECT_FALSE(s.tabs->TabRect(5).isEmpty());
    EXPECT_TRUE(s.tabs->TabRect(0).isEmpty());
    EXPECT_TRUE(back->isEnabled());

    // Selecting the first tab from code brings it back into view.
    s.tabs->SetTabIndex(0);
    EXPECT_EQ(s.tabs->FirstIndex(), 0);

    s.tabs->SetAutoScroll(false);
    EXPECT_FALSE(s.tabs->ScrollerVisible()) << "no arrows without AutoScroll";
    s.tabs->SetAutoScroll(true);
    s.tabs->Tabs()->SetStrings(categories());
    EXPECT_FALSE(s.tabs->ScrollerVisible()) << "five fit again";
}

TEST(TabSet, DrawsTheSelectedTabInItsColour) {
    Strip s;
    s.tabs->SetDitherBackground(false);
    s.tabs->SetBackgroundColor(0x00DEEBEF);
    s.tabs->SetSelectedColor(0x00FFFFFF);
    s.tabs->SetUnselectedColor(0x00808080);
    s.tabs->SetTabIndex(1);
    QImage img(400, 25, QImage::Format_RGB32);
    s.tabs->Widget()->render(&img);
    // Colours sampled inside the tabs, between their top line and the caption.
    const QRect sel = s.tabs->TabRect(1), other = s.tabs->TabRect(2);
    EXPECT_EQ(img.pixelColor(sel.left() + 5, 2), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(img.pixelColor(other.left() + 5, 2), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(img.pixelColor(sel.center().x(), 0), QColor(0xFF, 0xFF, 0xFF))
        << "the selected tab is open at the top";
    EXPECT_NE(img.pixelColor(other.center().x(), 0), QColor(0x80, 0x80, 0x80))
        << "the others lie under the top line";
    EXPECT_EQ(img.pixelColor(390, 10), QColor(0xEF, 0xEB, 0xDE)) << "background, 0x00BBGGRR";
    EXPECT_EQ(img.pixelColor(390, 23), QColor(0xEF, 0xEB, 0xDE)) << "below the tabs";
    // The caption is drawn inside the tab, in the font's colour.
    bool ink = false;
    for (int x = sel.left(); x <= sel.right(); ++x)
        for (int y = 1; y < sel.bottom(); ++y)
            if (qGray(img.pixel(x, y)) < 64) ink = true;
    EXPECT_TRUE(ink);
}

#include "tab_set_test.moc"
