#include "library/WJKStringListItem.h"

#include "framework/Filer.h"
#include "library/StringListPayload.h"

namespace orlenth {

void TWJKStringListItem::SetList(const TLineList& lines) {
    lines_ = lines;
    Change(this);
}

void TWJKStringListItem::Assign(const TComponent* source) {
    if (const auto* item = qobject_cast<const TWJKStringListItem*>(source)) {
        AssignStd(*item);
        SetList(item->lines_);
        return;
    }
    TWJKListItem::Assign(source);
}

std::uint8_t TWJKStringListItem::WriteFlag() const {
    std::uint8_t f = TWJKListItem::WriteFlag();
    if (!lines_.Empty()) f |= kFlagLines;
    return f;
}

void TWJKStringListItem::ReadData(TStream& stream) {
    const std::uint8_t flag = ReadStd(stream);
    if (flag & kFlagLines)
        stReadStringList(stream, lines_, Compressed());
    else
        lines_.Clear();
}

void TWJKStringListItem::WriteData(TStream& stream) {
    WriteStd(stream);
    if (!lines_.Empty()) stWriteStringList(stream, lines_, Compressed());
}

void TWJKStringListItem::DefineProperties(TFiler& filer) {
    TWJKListItem::DefineProperties(filer);
    filer.DefineBinaryProperty(
        IDS_INTERNAL, [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
        true);
}

QByteArrayList TWJKStringListItem::ItemsBytes() const {
    QByteArrayList out;
    out.reserve(lines_.Count());
    for (const auto& l : lines_.Lines()) out.append(QByteArray::fromStdString(l));
    return out;
}

void TWJKStringListItem::SetItemsBytes(const QByteArrayList& lines) {
    TLineList l;
    for (const auto& b : lines) l.Add(b.toStdString());
    SetList(l);
}

} // namespace orlenth
