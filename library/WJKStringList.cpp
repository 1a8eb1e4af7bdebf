#include "library/WJKStringList.h"

#include "framework/ClassRegistry.h"

namespace orlenth {

TWJKStringList::TWJKStringList(TComponent* owner) : TWJKCustomContainer(owner) {
    static const bool registered = [] {
        RegisterClass<TWJKStringListItem>();
        return true;
    }();
    (void)registered;
}

TWJKStringListItem* TWJKStringList::GetArrayItem(int index) const {
    return static_cast<TWJKStringListItem*>(GetItem(index));
}

TWJKStringListItem* TWJKStringList::GetArrayNameItem(const std::string& name) const {
    return static_cast<TWJKStringListItem*>(GetItemByName(name));
}

} // namespace orlenth
