#pragma once
// Screen readers meet the program through Qt's accessibility, which knows Qt's own widgets
// only: our controls paint themselves on plain widgets, which it would show as nameless
// fillers. These interfaces say what each control is, what it is called and what pressing
// it does.

#include <QColor>
#include <QRect>

class QPainter;
class QWidget;

namespace orlenth {

// Lets Qt ask us first about our controls' widgets. Calling it again changes nothing.
void InstallAccessibility();

// Tells screen readers that item `index` of a tab strip's or a list's widget is the
// selected one now (and the focused one, when the widget has the focus).
void NotifyItemSelected(QWidget* widget, int index);

// The mark of keyboard focus: a one-pixel dotted frame just inside `r`, every other pixel
// set, so that someone without a mouse sees where the keys go.
void DrawFocusFrame(QPainter& p, const QRect& r, const QColor& color);

} // namespace orlenth
