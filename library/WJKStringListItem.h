#pragma once
// An item whose data is a line list, stored in the binary property "Internal" as the
// item record (docs/item-record.md).

#include "library/LineList.h"
#include "library/WJKListItem.h"

#include <QByteArrayList>

namespace orlenth {

class TWJKStringListItem : public TWJKListItem {
    Q_OBJECT
    // The lines travel only inside "Internal": the property itself is never stored.
    Q_PROPERTY(QByteArrayList Items READ ItemsBytes WRITE SetItemsBytes STORED false)

public:
    // The binary property that carries the item record.
    static constexpr const char* IDS_INTERNAL = "Internal";

    Q_INVOKABLE explicit TWJKStringListItem(TComponent* owner = nullptr) : TWJKListItem(owner) {}

    // Always the same list object.
    TLineList& GetList() { return lines_; }
    const TLineList& GetList() const { return lines_; }
    // Replaces the lines by a copy of lines.
    void SetList(const TLineList& lines);

    // A plain line list: copies its lines.
    void Assign(const TLineList& lines) { SetList(lines); }
    // Another string-list item: its description, identifier, flag and lines. Any other
    // source: EConvertError "Cannot assign a %s to a %s".
    void Assign(const TPersistent* source) override;

    void FreeData() override { lines_.Clear(); }
    bool GetEmpty() const override { return lines_.Empty(); }
    std::uint8_t WriteFlag() const override;
    // Reads the whole item record. A damaged record is EReadError "Stream read error";
    // the lines are replaced only when the payload was read whole.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;
    void DefineProperties(TFiler& filer) override;

private:
    QByteArrayList ItemsBytes() const;
    void SetItemsBytes(const QByteArrayList& lines);

    TLineList lines_;
};

} // namespace orlenth
