#include "framework/ui/Colors.h"

#include <QWidget>

#include "framework/IntegerIdents.h"

#include <array>

namespace orlenth {

namespace {

struct Named {
    std::string_view name;
    TColor value;
};

constexpr TColor sys(int index) {
    return kSystemColor | index;
}

// System colour indexes as the stored descriptions number them.
constexpr std::array kNames{
    Named{"clScrollBar", sys(0)},      Named{"clBackground", sys(1)},
    Named{"clActiveCaption", sys(2)},  Named{"clInactiveCaption", sys(3)},
    Named{"clMenu", sys(4)},           Named{"clWindow", sys(5)},
    Named{"clWindowFrame", sys(6)},    Named{"clMenuText", sys(7)},
    Named{"clWindowText", sys(8)},     Named{"clCaptionText", sys(9)},
    Named{"clActiveBorder", sys(10)},  Named{"clInactiveBorder", sys(11)},
    Named{"clAppWorkSpace", sys(12)},  Named{"clHighlight", sys(13)},
    Named{"clHighlightText", sys(14)}, Named{"clBtnFace", sys(15)},
    Named{"clBtnShadow", sys(16)},     Named{"clGrayText", sys(17)},
    Named{"clBtnText", sys(18)},       Named{"clInactiveCaptionText", sys(19)},
    Named{"clBtnHighlight", sys(20)},  Named{"cl3DDkShadow", sys(21)},
    Named{"cl3DLight", sys(22)},       Named{"clInfoText", sys(23)},
    Named{"clInfoBk", sys(24)},        Named{"clBlack", 0x000000},
    Named{"clMaroon", 0x000080},       Named{"clGreen", 0x008000},
    Named{"clOlive", 0x008080},        Named{"clNavy", 0x800000},
    Named{"clPurple", 0x800080},       Named{"clTeal", 0x808000},
    Named{"clGray", 0x808080},         Named{"clSilver", 0xC0C0C0},
    Named{"clRed", 0x0000FF},          Named{"clLime", 0x00FF00},
    Named{"clYellow", 0x00FFFF},       Named{"clBlue", 0xFF0000},
    Named{"clFuchsia", 0xFF00FF},      Named{"clAqua", 0xFFFF00},
    Named{"clWhite", 0xFFFFFF},
};

} // namespace

std::optional<TColor> ColorFromName(std::string_view name) {
    for (const auto& n : kNames)
        if (n.name == name) return n.value;
    return std::nullopt;
}

std::optional<std::string> NameOfColor(TColor color) {
    for (const auto& n : kNames)
        if (n.value == color) return std::string(n.name);
    return std::nullopt;
}

QColor ToQColor(TColor color, const QPalette& p) {
    if ((static_cast<std::uint32_t>(color) & 0xFF000000u) == 0) {
        const auto c = static_cast<std::uint32_t>(color);
        return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                      static_cast<int>((c >> 16) & 0xFF));
    }
    switch (color & 0xFF) {
    case 4:
    case 5:
    case 24:
        return p.color(QPalette::Base);
    case 7:
    case 8:
    case 23:
        return p.color(QPalette::Text);
    case 9:
    case 18:
        return p.color(QPalette::ButtonText);
    case 13:
        return p.color(QPalette::Highlight);
    case 14:
        return p.color(QPalette::HighlightedText);
    case 15:
    case 0:
    case 12:
        return p.color(QPalette::Button);
    case 16:
        return p.color(QPalette::Mid);
    case 17:
    case 19:
        return p.color(QPalette::PlaceholderText);
    case 20:
    case 22:
        return p.color(QPalette::Light);
    case 21:
        return p.color(QPalette::Shadow);
    case 1:
    case 2:
    case 3:
    case 6:
    case 10:
    case 11:
        return p.color(QPalette::Window);
    default:
        return Qt::black;
    }
}

TColor FromQColor(const QColor& c) {
    return static_cast<TColor>(static_cast<std::uint32_t>(c.red()) |
                               static_cast<std::uint32_t>(c.green()) << 8 |
                               static_cast<std::uint32_t>(c.blue()) << 16);
}

void RegisterColorIdents() {
    RegisterIntegerIdents(
        "TColor", [](std::string_view n) -> std::optional<int> { return ColorFromName(n); },
        [](int v) { return NameOfColor(v); });
}

void SetWidgetColor(QWidget* widget, TColor color) {
    if (!widget) return;
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, ToQColor(color, p));
    widget->setPalette(p);
}

} // namespace orlenth
