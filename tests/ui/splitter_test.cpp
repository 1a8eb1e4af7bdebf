// The splitter between the left panel and the reading area: dragging it resizes the panel,
// neither side going below MinSize, and the parent lays the rest out again.

#include "framework/ui/Panel.h"
#include "framework/ui/Splitter.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

using namespace orlenth;

namespace splittertest {

class TOwner : public TComponent {
    Q_OBJECT
public:
    int moved = 0;
public slots:
    void Splitter1Moved(orlenth::TComponent*) { ++moved; }
};

} // namespace splittertest

namespace {

// A 400 × 300 frame as the main window has it: the splitter first, at the left panel's
// right edge; the panel (100 wide) after it; the client panel taking the rest.
struct Frame {
    splittertest::TOwner owner;
    TPanel* root;
    TSplitter* splitter;
    TPanel* left;
    TPanel* client;

    Frame() {
        root = new TPanel(&owner);
        root->SetBevelOuter(TPanel::bvNone);
        root->SetBounds(QRect(0, 0, 400, 300));
        // Built as the reader builds it: aligned once, when everything is in place.
        root->SetLoading();
        splitter = new TSplitter(&owner);
        splitter->SetBounds(QRect(100, 0, 3, 300));
        splitter->SetAlign(TControl::alLeft);
        splitter->SetParent(root);
        left = new TPanel(&owner);
        left->SetBounds(QRect(0, 0, 100, 300));
        left->SetAlign(TControl::alLeft);
        left->SetParent(root);
        client = new TPanel(&owner);
        client->SetAlign(TControl::alClient);
        client->SetParent(root);
        root->Loaded();
        root->Realign();
        splitter->BindEvent("OnMoved", &owner, FindHandler(owner, "Splitter1Moved"));
    }

    void Mouse(QEvent::Type type, int x, Qt::MouseButtons buttons) {
        QWidget* w = splitter->Widget();
        const QPointF local(x, 10);
        QMouseEvent e(type, local, QPointF(w->mapToGlobal(QPoint(x, 10))), Qt::LeftButton, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    void Press() { Mouse(QEvent::MouseButtonPress, 1, Qt::LeftButton); }
    // Positions are taken from where the splitter stood when the drag began.
    void MoveBy(int dx) { Mouse(QEvent::MouseMove, 1 + dx, Qt::LeftButton); }
    void ReleaseAt(int dx) { Mouse(QEvent::MouseButtonRelease, 1 + dx, Qt::NoButton); }
};

} // namespace

TEST(Splitter, DragResizesTheLeftControlWithinMinSize) {
    struct Row {
        const char* name;
        bool autoSnap;
        int dx;
        int width;
    } rows[] = {
        {"wider", false, 50, 150},
        {"narrower", false, -40, 60},
        {"not_below_min_size", false, -95, 30},
        {"no_snap_even_at_the_edge", false, -100, 30},
        {"snap_holds_at_min_size_above_half_of_it", true, -75, 30},
        {"snap_closes_below_half_of_min_size", true, -90, 0},
        // 400 − 3 for the splitter − 30 left to the reading area.
        {"rest_keeps_min_size", false, 400, 367},
        {"no_move", false, 0, 100},
    };
    for (const auto& r : rows) {
        Frame f;
        f.splitter->SetAutoSnap(r.autoSnap);
        f.Press();
        f.MoveBy(r.dx);
        f.ReleaseAt(r.dx);
        EXPECT_EQ(f.left->Width(), r.width) << r.name;
        EXPECT_EQ(f.splitter->Left(), r.width) << r.name << ": the splitter follows the edge";
        EXPECT_EQ(f.client->Left(), r.width + 3) << r.name;
        EXPECT_EQ(f.client->Width(), 400 - r.width - 3) << r.name;
        EXPECT_EQ(f.owner.moved, r.width != 100 ? 1 : 0) << r.name;
        EXPECT_EQ(f.splitter->DragLine(), nullptr) << r.name;
    }
}

TEST(Splitter, PatternLineFollowsTheMouseAndTheSizeAppliesOnRelease) {
    Frame f;
    ASSERT_EQ(f.splitter->ResizeStyle(), TSplitter::rsPattern);
    f.Press();
    f.MoveBy(40);
    EXPECT_EQ(f.left->Width(), 100) << "nothing resized while dragging";
    ASSERT_NE(f.splitter->DragLine(), nullptr);
    EXPECT_EQ(f.splitter->DragLine()->geometry(), QRect(140, 0, 3, 300));
    EXPECT_EQ(f.splitter->DragLine()->parentWidget(), f.root->Widget());
    ASSERT_TRUE(f.splitter->AutoSnap());
    f.MoveBy(-90);
    EXPECT_EQ(f.splitter->DragLine()->geometry().left(), 0) << "snapped closed";
    f.MoveBy(-75);
    EXPECT_EQ(f.splitter->DragLine()->geometry().left(), 30) << "held at MinSize";
    f.ReleaseAt(20);
    EXPECT_EQ(f.left->Width(), 120);
    EXPECT_EQ(f.splitter->DragLine(), nullptr);
}

TEST(Splitter, UpdateStyleResizesWhileDragging) {
    Frame f;
    f.splitter->SetResizeStyle(TSplitter::rsUpdate);
    f.Press();
    f.MoveBy(25);
    EXPECT_EQ(f.left->Width(), 125);
    EXPECT_EQ(f.splitter->DragLine(), nullptr);
    // The splitter has moved; the mouse's screen position still counts from the start.
    QWidget* w = f.splitter->Widget();
    const QPoint global = f.root->Widget()->mapToGlobal(QPoint(100 + 1 + 35, 10));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(w->mapFromGlobal(global)),
                        QPointF(global), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    EXPECT_EQ(f.left->Width(), 135);
    EXPECT_EQ(f.owner.moved, 1);
}

#include "splitter_test.moc"
