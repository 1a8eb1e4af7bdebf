#include "library/WJKCustomComponent.h"

namespace orlenth {

void TWJKCustomComponent::EndUpdate(bool notify) {
    updating_ = false;
    if (notify) Change(this);
}

void TWJKCustomComponent::Change(TComponent* sender) {
    if (!updating_ && OnChange) OnChange(sender);
}

} // namespace orlenth
