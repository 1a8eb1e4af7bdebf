#pragma once
// Colours as stored (0x00BBGGRR, or a system colour by number) and their names; named
// system colours take the palette's colour for the same role, so the windows follow the
// desktop's scheme as the stored descriptions intend.

#include <QColor>
#include <QPalette>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace orlenth {

using TColor = std::int32_t;

// System colours: the high byte set, the low byte the system colour's index.
inline constexpr TColor kSystemColor = static_cast<TColor>(0xFF000000u);

// The named colours: the system colours the windows use and the sixteen basic ones.
std::optional<TColor> ColorFromName(std::string_view name);
std::optional<std::string> NameOfColor(TColor color);

// The colour to paint with. A plain colour is decoded from 0x00BBGGRR; a system colour
// takes its palette role (window text, button face, highlight …); an unknown system
// colour is black.
QColor ToQColor(TColor color, const QPalette& palette);
// 0x00BBGGRR of a plain colour.
TColor FromQColor(const QColor& color);
// Gives a widget the colour as its background (the palette's Window role); a system
// colour is taken from the widget's own palette. Null does nothing.
void SetWidgetColor(QWidget* widget, TColor color);

// Registers the names for integer properties whose class names the table "TColor".
void RegisterColorIdents();

} // namespace orlenth
