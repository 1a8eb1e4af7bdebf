#include "library/WJKStringListItem.h"

#include "framework/Filer.h"
#include "library/StringListPayload.h"

namespace orlenth {

void TWJKStringListItem::SetList(const TLineList& lines) {
    lines_ = lines;
    Change(this);
}

void TWJKStringListItem::Assign(const TPersistent* source) {
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
    for (int i = 0; i < lines_.Count(); ++i) {
        const std::string_view l = lines_[i];
        out.append(QByteArray(l.data(), static_cast<qsizetype>(l.size())));
    }
    return out;
}

void TWJKStringListItem::SetItemsBytes(const QByteArrayList& lines) {
    TLineList l;
    for (const auto& b : lines)
        l.Add(std::string_view(b.constData(), static_cast<std::size_t>(b.size())));
    SetList(l);
}

} // namespace orlenth
