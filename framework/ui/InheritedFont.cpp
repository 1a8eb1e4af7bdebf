#include "framework/ui/InheritedFont.h"

#include "framework/ui/Form.h"
#include "framework/ui/Panel.h"

namespace orlenth {

TFont* InheritedFont(const TControl& control) {
    for (TWinControl* p = control.Parent(); p; p = p->Parent()) {
        if (auto* form = qobject_cast<TCustomForm*>(p)) return form->Font();
        // A panel that takes its parent's font passes the question on.
        if (auto* panel = qobject_cast<TPanel*>(p); panel && !panel->ParentFont())
            return panel->Font();
    }
    return nullptr;
}

} // namespace orlenth
