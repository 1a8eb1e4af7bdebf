// The speed slider: every change of its position, by the program or the user, reaches
// OnChange once; the position stays within Min … Max.

#include "framework/ui/TrackBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

using namespace orlenth;

namespace trackbartest {

class TOwner : public TComponent {
    Q_OBJECT
public:
    std::vector<int> seen;
    TTrackBar* bar = nullptr;
public slots:
    void TrackBar1Change(orlenth::TComponent* sender) {
        EXPECT_EQ(sender, bar);
        seen.push_back(bar->Position());
    }
};

} // namespace trackbartest

namespace {

struct Bound {
    trackbartest::TOwner owner;
    TTrackBar* bar;
    Bound() : bar(new TTrackBar(&owner)) {
        owner.bar = bar;
        bar->BindEvent("OnChange", &owner, FindHandler(owner, "TrackBar1Change"));
        bar->SetMax(300);
        bar->SetMin(1);
        owner.seen.clear();
    }
};

} // namespace

TEST(TrackBar, ProgramChangesAreClampedAndReported) {
    struct Row {
        const char* name;
        int start;
        int set;
        int expected;
        bool reported;
    } rows[] = {
        {"inside", 1, 150, 150, true},
        {"above_max", 1, 999, 300, true},
        {"below_min", 150, -5, 1, true},
        {"same_position", 150, 150, 150, false},
        {"clamped_to_where_it_is", 300, 301, 300, false},
    };
    for (const auto& r : rows) {
        Bound b;
        b.bar->SetPosition(r.start);
        b.owner.seen.clear();
        b.bar->SetPosition(r.set);
        EXPECT_EQ(b.bar->Position(), r.expected) << r.name;
        EXPECT_EQ(b.bar->Slider()->value(), r.expected) << r.name;
        EXPECT_EQ(b.owner.seen, r.reported ? std::vector<int>{r.expected} : std::vector<int>{})
            << r.name;
    }
}

TEST(TrackBar, NarrowingTheRangePullsThePositionInAndReportsIt) {
    Bound b;
    b.bar->SetPosition(250);
    b.owner.seen.clear();
    b.bar->SetMax(200);
    EXPECT_EQ(b.bar->Position(), 200);
    EXPECT_EQ(b.owner.seen, std::vector<int>{200});
    b.bar->SetMin(220);
    EXPECT_EQ(b.bar->Max(), 220) << "the maximum follows a minimum above it";
    EXPECT_EQ(b.bar->Position(), 220);
}

TEST(TrackBar, UserChangesAreReportedOnce) {
    Bound b;
    b.bar->SetPosition(150);
    b.owner.seen.clear();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(b.bar->Slider(), &right);
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
    QApplication::sendEvent(b.bar->Slider(), &end);
    EXPECT_EQ(b.owner.seen, (std::vector<int>{151, 300}));
    EXPECT_EQ(b.bar->Position(), 300);
    QApplication::sendEvent(b.bar->Slider(), &end);
    EXPECT_EQ(b.owner.seen.size(), 2u) << "no move, no report";
}

TEST(TrackBar, KeysMoveByLineAndPageSizeTowardMaxOnRightUpAndPageUp) {
    struct Row {
        const char* name;
        TTrackBar::TTrackBarOrientation orientation;
        Qt::Key key;
        int move;
    } rows[] = {
        {"right", TTrackBar::trHorizontal, Qt::Key_Right, 7},
        {"left", TTrackBar::trHorizontal, Qt::Key_Left, -7},
        {"up", TTrackBar::trHorizontal, Qt::Key_Up, 7},
        {"down", TTrackBar::trHorizontal, Qt::Key_Down, -7},
        {"page_up", TTrackBar::trHorizontal, Qt::Key_PageUp, 25},
        {"page_down", TTrackBar::trHorizontal, Qt::Key_PageDown, -25},
        {"vertical_up", TTrackBar::trVertical, Qt::Key_Up, 7},
        {"vertical_page_down", TTrackBar::trVertical, Qt::Key_PageDown, -25},
        {"home", TTrackBar::trHorizontal, Qt::Key_Home, 1 - 150},
        {"end", TTrackBar::trHorizontal, Qt::Key_End, 300 - 150},
    };
    for (const auto& r : rows) {
        Bound b;
        b.bar->SetOrientation(r.orientation);
        b.bar->SetLineSize(7);
        b.bar->SetPageSize(25);
        b.bar->SetPosition(150);
        b.owner.seen.clear();
        QKeyEvent press(QEvent::KeyPress, r.key, Qt::NoModifier);
        QApplication::sendEvent(b.bar->Slider(), &press);
        EXPECT_EQ(b.bar->Position(), 150 + r.move) << r.name;
        EXPECT_EQ(b.owner.seen, std::vector<int>{150 + r.move}) << r.name;
    }
}

TEST(TrackBar, NothingIsReportedWhileLoading) {
    Bound b;
    b.bar->SetLoading();
    // The description's order: Max and Min before Position, but any order must do.
    b.bar->SetPosition(150);
    b.bar->SetMax(300);
    b.bar->SetMin(1);
    b.bar->Loaded();
    EXPECT_TRUE(b.owner.seen.empty());
    EXPECT_EQ(b.bar->Position(), 150);
    EXPECT_EQ(b.bar->Slider()->value(), 150);
    EXPECT_EQ(b.bar->Slider()->maximum(), 300);
}

#include "track_bar_test.moc"
