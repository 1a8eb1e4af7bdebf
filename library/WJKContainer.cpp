#include "library/WJKContainer.h"

#include "framework/Errors.h"
#include "library/CompressedStream.h"
#include "library/StreamFields.h"

#include <algorithm>
#include <limits>

namespace orlenth {

// ---------------------------------------------------------------- links

TWJKChangeLink::~TWJKChangeLink() {
    if (sender_) sender_->UnRegisterChanges(this);
}

TWJKBaseContainer::~TWJKBaseContainer() {
    for (TWJKChangeLink* link : links_) link->sender_ = nullptr;
}

void TWJKBaseContainer::RegisterChanges(TWJKChangeLink* link) {
    if (!link || link->sender_ == this) return;
    if (link->sender_) link->sender_->UnRegisterChanges(link);
    link->sender_ = this;
    links_.push_back(link);
}

void TWJKBaseContainer::UnRegisterChanges(TWJKChangeLink* link) {
    auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end()) return;
    links_.erase(it);
    link->sender_ = nullptr;
}

void TWJKBaseContainer::Change(TComponent* sender) {
    // A copy: an observer may unregister itself while being told.
    const auto links = links_;
    for (TWJKChangeLink* link : links) link->Change(sender);
    TWJKCustomComponent::Change(sender);
}

// ---------------------------------------------------------------- container

TWJKCustomContainer::~TWJKCustomContainer() {
    auto items = std::move(items_);
    items_.clear();
    for (auto it = items.rbegin(); it != items.rend(); ++it) delete *it;
}

void TWJKCustomContainer::CheckIndex(int index, int limit) const {
    if (index < 0 || index >= limit) throw EListError::indexOutOfBounds(index);
}

TWJKListItem* TWJKCustomContainer::GetItem(int index) const {
    CheckIndex(index, GetCount());
    return items_[static_cast<std::size_t>(index)];
}

TWJKListItem* TWJKCustomContainer::GetItemByName(const std::string& name) const {
    for (TWJKListItem* item : items_)
        if (item->Description() == name) return item;
    return nullptr;
}

int TWJKCustomContainer::IndexOf(const TWJKListItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TWJKListItem* TWJKCustomContainer::Adopt(TWJKListItem* item) {
    if (!item) return CreateItem();
    if (!item->metaObject()->inherits(&ItemClass()))
        throw EConvertError::cannotAssign(item->ClassName(), ClassName());
    if (auto* other = qobject_cast<TWJKCustomContainer*>(item->Owner()); other && other != this)
        other->ForgetItem(item);
    InsertComponent(item);
    return item;
}

int TWJKCustomContainer::Add(TWJKListItem* item) {
    if (const int at = item ? IndexOf(item) : -1; at >= 0) {
        Move(at, GetCount() - 1);
        return GetCount() - 1;
    }
    item = Adopt(item);
    items_.push_back(item);
    Change(this);
    return GetCount() - 1;
}

void TWJKCustomContainer::Insert(int index, TWJKListItem* item) {
    CheckIndex(index, GetCount() + 1);
    if (const int at = item ? IndexOf(item) : -1; at >= 0) {
        Move(at, std::min(index, GetCount() - 1));
        return;
    }
    item = Adopt(item);
    items_.insert(items_.begin() + index, item);
    Change(this);
}

void TWJKCustomContainer::Delete(int index) {
    CheckIndex(index, GetCount());
    TWJKListItem* item = items_[static_cast<std::size_t>(index)];
    items_.erase(items_.begin() + index);
    delete item;
    Change(this);
}

void TWJKCustomContainer::Move(int current, int target) {
    if (current == target) return;
    CheckIndex(current, GetCount());
    CheckIndex(target, GetCount());
    TWJKListItem* item = items_[static_cast<std::size_t>(current)];
    items_.erase(items_.begin() + current);
    items_.insert(items_.begin() + target, item);
    Change(this);
}

void TWJKCustomContainer::Clear() {
    auto items = std::move(items_);
    items_.clear();
    for (auto it = items.rbegin(); it != items.rend(); ++it) delete *it;
    Change(this);
}

void TWJKCustomContainer::AddList(const TWJKCustomContainer& other) {
    const bool wasUpdating = IsUpdating();
    BeginUpdate();
    // Items are read by position: adding to ourselves must not chase its own tail.
    const int n = other.GetCount();
    for (int i = 0; i < n; ++i) {
        TWJKListItem* copy = CreateItem();
        items_.push_back(copy);
        copy->Assign(other.GetItem(i));
    }
    if (!wasUpdating) EndUpdate(true);
}

void TWJKCustomContainer::Assign(const TPersistent* source) {
    const auto* other = qobject_cast<const TWJKCustomContainer*>(source);
    if (!other || !other->metaObject()->inherits(metaObject())) {
        TWJKBaseContainer::Assign(source);
        return;
    }
    if (other == this) return;
    BeginUpdate();
    Clear();
    defaultCompressed_ = other->defaultCompressed_;
    AddList(*other);
    EndUpdate(true);
}

void TWJKCustomContainer::WriteData(TStream& stream, bool compressed) {
    TMemoryStream record;
    stWriteInteger(record, GetCount());
    for (TWJKListItem* item : items_) item->WriteData(record);
    if (compressed) {
        if (record.Size() > std::numeric_limits<std::int32_t>::max()) throw EWriteError();
        record.SetPosition(0);
        SaveCompressedStream(record, stream, static_cast<std::int32_t>(record.Size()));
    } else {
        stWriteInteger(stream, static_cast<std::int32_t>(record.Size()));
        stream.WriteExact(record.Memory(), record.Size());
    }
}

void TWJKCustomContainer::ReadData(TStream& stream, bool compressed) {
    TMemoryStream record;
    if (compressed) {
        LoadCompressedStream(stream, record);
    } else {
        if (stream.Remaining() < 4) throw EReadError();
        const std::int32_t n = stReadInteger(stream);
        if (n < 0 || n > stream.Remaining()) throw EReadError();
        record.SetSize(n);
        stream.ReadExact(record.Memory(), n);
    }
    record.SetPosition(0);
    if (record.Remaining() < 4) throw EReadError();
    const std::int32_t count = stReadInteger(record);
    // Every item record takes at least its flag byte.
    if (count < 0 || count > record.Remaining()) throw EReadError();
    BeginUpdate();
    try {
        Clear();
        for (std::int32_t i = 0; i < count; ++i) {
            TWJKListItem* item = CreateItem();
            items_.push_back(item);
            item->ReadData(record);
        }
    } catch (...) {
        EndUpdate(true);
        throw;
    }
    EndUpdate(true);
}

void TWJKCustomContainer::GetChildren(const ChildProc& proc, TComponent*) {
    for (TWJKListItem* item : items_) proc(item);
}

void TWJKCustomContainer::ForgetItem(TWJKListItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it != items_.end()) items_.erase(it);
}

} // namespace orlenth
