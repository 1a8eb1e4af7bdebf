#pragma once
// A category of the article library: a container of string-list items.

#include "library/WJKContainer.h"
#include "library/WJKStringListItem.h"

namespace orlenth {

class TWJKStringList : public TWJKCustomContainer {
    Q_OBJECT
public:
    // The first one created also registers TWJKStringListItem in the class registry, so
    // that stored descriptions naming the item class can be read.
    Q_INVOKABLE explicit TWJKStringList(TComponent* owner = nullptr);

    // GetItem as a string-list item (same bounds and error).
    TWJKStringListItem* GetArrayItem(int index) const;
    // GetItemByName as a string-list item, or null.
    TWJKStringListItem* GetArrayNameItem(const std::string& name) const;

protected:
    const QMetaObject& ItemClass() const override { return TWJKStringListItem::staticMetaObject; }
    TWJKListItem* CreateItem() override { return new TWJKStringListItem(this); }
};

} // namespace orlenth
