// Alignment on the main window's own layout: the stored design values must come out of
// the rule at the design size, and the strips must follow a resize.

#include "framework/ui/Align.h"

#include <gtest/gtest.h>

using namespace orlenth;

namespace {

TAlignedControl at(TAlignKind k, int x, int y, int w, int h, bool visible = true) {
    return TAlignedControl{k, visible, QRect(x, y, w, h)};
}

void expectRect(const TAlignedControl& c, int x, int y, int w, int h, const char* what) {
    EXPECT_EQ(c.bounds, QRect(x, y, w, h)) << what;
}

} // namespace

TEST(Align, MainWindowAtItsDesignSize) {
    // The window's client area inside its 5-pixel border is 709 × 422.
    auto panel3 = at(TAlignKind::Top, 0, 0, 709, 24),
         panel1 = at(TAlignKind::Left, 0, 24, 204, 398),
         splitter = at(TAlignKind::Left, 204, 24, 3, 398),
         panel2 = at(TAlignKind::Client, 207, 24, 502, 398);
    // Stored in the order of the description: splitter first, yet it stays right of the panel.
    std::vector<TAlignedControl*> window{&splitter, &panel1, &panel2, &panel3};
    AlignControls(QRect(0, 0, 709, 422), window);
    expectRect(panel3, 0, 0, 709, 24, "Panel3");
    expectRect(panel1, 0, 24, 204, 398, "Panel1");
    expectRect(splitter, 204, 24, 3, 398, "Splitter1");
    expectRect(panel2, 207, 24, 502, 398, "Panel2");

    // The top bar: the banner and ToolBar2 at the right, ToolBar1 and the hidden track bar left.
    auto image = at(TAlignKind::Right, 629, 0, 80, 24),
         toolbar1 = at(TAlignKind::Left, 0, 0, 263, 24),
         trackbar = at(TAlignKind::Left, 263, 0, 97, 24, false),
         toolbar2 = at(TAlignKind::Right, 537, 0, 92, 24);
    std::vector<TAlignedControl*> bar{&image, &toolbar1, &trackbar, &toolbar2};
    AlignControls(QRect(0, 0, 709, 24), bar);
    expectRect(image, 629, 0, 80, 24, "Image1");
    expectRect(toolbar2, 537, 0, 92, 24, "ToolBar2");
    expectRect(toolbar1, 0, 0, 263, 24, "ToolBar1");
    expectRect(trackbar, 263, 0, 97, 24, "hidden TrackBar1 untouched");

    // The list panel inside its 1-pixel bevel.
    auto tabs = at(TAlignKind::Top, 1, 1, 202, 25), list = at(TAlignKind::Client, 1, 26, 202, 371);
    std::vector<TAlignedControl*> left{&tabs, &list};
    AlignControls(QRect(1, 1, 202, 396), left);
    expectRect(tabs, 1, 1, 202, 25, "TabSet1");
    expectRect(list, 1, 26, 202, 371, "ListBox1");
}

TEST(Align, ResizingAndHiding) {
    auto panel3 = at(TAlignKind::Top, 0, 0, 709, 24),
         panel1 = at(TAlignKind::Left, 0, 24, 204, 398),
         splitter = at(TAlignKind::Left, 204, 24, 3, 398),
         panel2 = at(TAlignKind::Client, 207, 24, 502, 398);
    std::vector<TAlignedControl*> window{&splitter, &panel1, &panel2, &panel3};
    AlignControls(QRect(0, 0, 1000, 600), window);
    expectRect(panel2, 207, 24, 793, 576, "client grows");
    // Hiding the list panel and the splitter gives the reading area the whole width.
    panel1.visible = splitter.visible = false;
    AlignControls(QRect(0, 0, 1000, 600), window);
    expectRect(panel2, 0, 24, 1000, 576, "client takes the width");
    // Showing them again puts the splitter back to the right of the panel.
    panel1.visible = splitter.visible = true;
    AlignControls(QRect(0, 0, 1000, 600), window);
    expectRect(panel1, 0, 24, 204, 576, "panel back");
    expectRect(splitter, 204, 24, 3, 576, "splitter right of it");
    expectRect(panel2, 207, 24, 793, 576, "client after them");
}

TEST(Align, SplashLabelsByTheirStoredLeft) {
    // Label1 comes first in the description but stands right of Label2.
    auto label1 = at(TAlignKind::Left, 40, 0, 28, 480),
         label2 = at(TAlignKind::Left, 0, 0, 40, 480);
    std::vector<TAlignedControl*> labels{&label1, &label2};
    AlignControls(QRect(0, 0, 360, 480), labels);
    expectRect(label2, 0, 0, 40, 480, "Label2");
    expectRect(label1, 40, 0, 28, 480, "Label1");
}

TEST(Align, TooSmallAreaNeverGivesNegativeSizes) {
    auto top = at(TAlignKind::Top, 0, 0, 10, 50), left = at(TAlignKind::Left, 0, 0, 80, 10),
         client = at(TAlignKind::Client, 0, 0, 1, 1),
         bottom = at(TAlignKind::Bottom, 0, 90, 10, 40);
    std::vector<TAlignedControl*> all{&top, &left, &client, &bottom};
    AlignControls(QRect(0, 0, 60, 70), all);
    for (auto* c : all) {
        EXPECT_GE(c->bounds.width(), 0);
        EXPECT_GE(c->bounds.height(), 0);
    }
    expectRect(top, 0, 0, 60, 50, "top keeps its height");
    expectRect(bottom, 0, 50, 60, 20, "bottom gets what is left");
    expectRect(client, 60, 50, 0, 0, "client is empty");
}

// Alignment run round after round from what it reported, as a parent does on every resize:
// whatever widths come between, the design width gives the design layout back.
TEST(Align, SqueezedControlsGetTheirSizeBack) {
    struct Bar {
        TAlignedControl image = at(TAlignKind::Right, 629, 0, 80, 24),
                        toolbar1 = at(TAlignKind::Left, 0, 0, 263, 24),
                        trackbar = at(TAlignKind::Left, 263, 0, 97, 24),
                        toolbar2 = at(TAlignKind::Right, 537, 0, 92, 24);
    } bar;
    std::vector<TAlignedControl*> all{&bar.image, &bar.toolbar1, &bar.trackbar, &bar.toolbar2};
    const Bar design = bar;
    for (const int width : {290, 0, 510, 30, 709}) {
        AlignControls(QRect(0, 0, width, 24), all);
        int used = 0;
        for (auto* c : all) {
            EXPECT_LE(c->bounds.width(), c->natural.width()) << width;
            EXPECT_GE(c->bounds.left(), 0) << width;
            EXPECT_LE(c->bounds.left() + c->bounds.width(), width) << width;
            used += c->bounds.width();
            c->bounds = c->natural;
        }
        EXPECT_EQ(used, std::min(width, 263 + 97 + 92 + 80)) << "no overlap, no gap at " << width;
    }
    bar.trackbar.visible = false;
    AlignControls(QRect(0, 0, 709, 24), all);
    EXPECT_EQ(bar.image.bounds, design.image.bounds);
    EXPECT_EQ(bar.toolbar1.bounds, design.toolbar1.bounds);
    EXPECT_EQ(bar.toolbar2.bounds, design.toolbar2.bounds);
}
