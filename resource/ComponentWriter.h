#pragma once
// Turns a live component into its record by the writing rules: published properties in
// declaration order when they differ from their default, then the stored properties the
// component declares, then its children as it enumerates them.

#include "resource/ObjectTree.h"

namespace orlenth {

class TComponent;

// The record of `component` and its children. A published property is skipped when it is
// not stored, when it is a text, list or set that is empty, or when the class declares a
// default for it (Q_CLASSINFO "Default.NAME") and the value equals that default; any other
// property is always written. Integers take the smallest tag, texts the text rule,
// booleans tags 9 and 8. Never throws for a well-formed component; what a stored
// property's writing routine throws passes through.
TObjectRecord WriteComponent(TComponent& component);

} // namespace orlenth
