#include "framework/ui/Colors.h"

#include "framework/IntegerIdents.h"

#include <gtest/gtest.h>

using namespace orlenth;

TEST(Colors, StoredColoursDecodeAsBGR) {
    struct Row {
        const char* name;
        TColor stored;
        QColor shown;
    } rows[] = {
        {"window", 0x00EFF3F7, QColor(247, 243, 239)},
        {"list_panel", 0x00DEEBEF, QColor(239, 235, 222)},
        {"page", 0x00E7FAF0, QColor(240, 250, 231)},
        {"splash_band", 0x00FF8888, QColor(136, 136, 255)},
        {"label_blue", 0x00FF0000, QColor(0, 0, 255)},
    };
    const QPalette p;
    for (const auto& r : rows) {
        EXPECT_EQ(ToQColor(r.stored, p), r.shown) << r.name;
        EXPECT_EQ(FromQColor(r.shown), r.stored) << r.name;
    }
}

TEST(Colors, SystemColoursFollowThePalette) {
    QPalette p;
    p.setColor(QPalette::Text, QColor(1, 2, 3));
    p.setColor(QPalette::Highlight, QColor(4, 5, 6));
    p.setColor(QPalette::HighlightedText, QColor(7, 8, 9));
    p.setColor(QPalette::Button, QColor(10, 11, 12));
    EXPECT_EQ(ToQColor(*ColorFromName("clWindowText"), p), QColor(1, 2, 3));
    EXPECT_EQ(ToQColor(*ColorFromName("clHighlight"), p), QColor(4, 5, 6));
    EXPECT_EQ(ToQColor(*ColorFromName("clHighlightText"), p), QColor(7, 8, 9));
    EXPECT_EQ(ToQColor(*ColorFromName("clBtnFace"), p), QColor(10, 11, 12));
}

TEST(Colors, NamesResolveBothWaysThroughTheIdentTable) {
    RegisterColorIdents();
    EXPECT_EQ(IdentToInteger("TColor", "clBlue"), 0x00FF0000);
    EXPECT_EQ(IntegerToIdent("TColor", 0x00FF0000), "clBlue");
    EXPECT_EQ(IdentToInteger("TColor", "clWindowText"), *ColorFromName("clWindowText"));
    EXPECT_FALSE(IdentToInteger("TColor", "clNoSuchColour").has_value());
    EXPECT_FALSE(IntegerToIdent("TColor", 0x00123456).has_value());
}
