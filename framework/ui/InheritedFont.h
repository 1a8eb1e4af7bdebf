#pragma once
// The font a control with ParentFont on shows: its parents' font, as the description
// gives it to the nearest of them that has one of its own.

#include "framework/ui/Control.h"
#include "framework/ui/Font.h"

namespace orlenth {

// The font of the nearest ancestor that has a font of its own: a panel whose ParentFont
// is off, or the form. Null when the control has no such ancestor (not placed yet, or
// placed on a plain windowed control).
TFont* InheritedFont(const TControl& control);

} // namespace orlenth
