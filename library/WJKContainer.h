#pragma once
// Owning, ordered containers of list items, with change notification to registered
// observers. Indexes are signed 32-bit and 0-based; a bad index is EListError
// "List index out of bounds (%d)" and leaves the list as it was.

#include "library/WJKChangeLink.h"
#include "library/WJKListItem.h"

#include <QByteArray>

#include <string>
#include <vector>

namespace orlenth {

class TWJKBaseContainer : public TWJKCustomComponent {
    Q_OBJECT
public:
    explicit TWJKBaseContainer(TComponent* owner = nullptr) : TWJKCustomComponent(owner) {}
    // Registered links outlive the container safely: they are let go, not destroyed.
    ~TWJKBaseContainer() override;

    void RegisterChanges(TWJKChangeLink* link);
    void UnRegisterChanges(TWJKChangeLink* link);
    // Passes the change to every registered link, then raises the container's own change
    // event unless an update is in progress.
    void Change(TComponent* sender) override;

private:
    std::vector<TWJKChangeLink*> links_;
};

class TWJKCustomContainer : public TWJKBaseContainer {
    Q_OBJECT
    Q_PROPERTY(QByteArray About READ AboutBytes WRITE SetAboutBytes)
    Q_PROPERTY(bool DefaultCompressed READ DefaultCompressed WRITE SetDefaultCompressed)
    Q_CLASSINFO("Default.DefaultCompressed", "false")

public:
    explicit TWJKCustomContainer(TComponent* owner = nullptr) : TWJKBaseContainer(owner) {}
    // Destroys every item it still holds.
    ~TWJKCustomContainer() override;

    virtual int GetCount() const { return static_cast<int>(items_.size()); }
    virtual bool GetEmpty() const { return items_.empty(); }
    virtual TWJKListItem* GetItem(int index) const;
    // The first item, lowest index first, whose description equals name byte for byte;
    // null when there is none.
    TWJKListItem* GetItemByName(const std::string& name) const;
    int IndexOf(const TWJKListItem* item) const;

    // Appends item (null: a new item of the item class) and returns its position. The
    // container becomes the item's owner; an item held by another container leaves it
    // first, and an item already held here moves to the end. An item not of the item
    // class is EConvertError "Cannot assign a %s to a %s".
    int Add(TWJKListItem* item = nullptr);
    // As Add, at index (0 <= index <= count); later items move up.
    void Insert(int index, TWJKListItem* item = nullptr);
    // Destroys the item at index and removes it.
    void Delete(int index);
    void Move(int current, int target);
    void Clear();
    // Appends a copy of every item of other, in order, with one notification at the end.
    void AddList(const TWJKCustomContainer& other);
    // Copies a container of this class or a derived one; anything else is EConvertError
    // "Cannot assign a %s to a %s".
    void Assign(const TPersistent* source) override;

    // The container record: a signed 32-bit item count, then every item's record; as one
    // compressed stream when compressed is true, else as a 32-bit length and the bytes
    // (docs/item-record.md). The mode is not recorded: the reader must be given it.
    virtual void WriteData(TStream& stream, bool compressed);
    // Replaces the items by those of a container record written in the given mode. A
    // damaged record is EReadError "Stream read error"; the container then keeps the
    // items read before the damage.
    virtual void ReadData(TStream& stream, bool compressed);

    const std::string& About() const { return about_; }
    void SetAbout(const std::string& a) { about_ = a; }
    bool DefaultCompressed() const { return defaultCompressed_; }
    void SetDefaultCompressed(bool c) { defaultCompressed_ = c; }

    void GetChildren(const ChildProc& proc, TComponent* root) override;
    TComponent* GetChildOwner() override { return this; }

    // An item being destroyed by other means than this container leaves the list.
    void ForgetItem(TWJKListItem* item);

protected:
    // The item class's meta-object and a new item of it, owned by this container.
    virtual const QMetaObject& ItemClass() const = 0;
    virtual TWJKListItem* CreateItem() = 0;

private:
    QByteArray AboutBytes() const { return QByteArray::fromStdString(about_); }
    void SetAboutBytes(const QByteArray& a) { about_ = a.toStdString(); }
    TWJKListItem* Adopt(TWJKListItem* item);
    void CheckIndex(int index, int limit) const;

    std::vector<TWJKListItem*> items_;
    std::string about_;
    bool defaultCompressed_ = false;
};

} // namespace orlenth
