#include "library/WJKListItem.h"

#include "framework/Errors.h"
#include "framework/Filer.h"
#include "library/StreamFields.h"
#include "library/WJKContainer.h"

namespace orlenth {

TWJKListItem::~TWJKListItem() {
    if (auto* c = qobject_cast<TWJKCustomContainer*>(Owner())) c->ForgetItem(this);
}

void TWJKListItem::SetDescription(const std::string& d) {
    description_ = d;
    Change(this);
}

void TWJKListItem::SetIdent(std::uint16_t ident) {
    ident_ = ident;
    Change(this);
}

void TWJKListItem::SetCompressed(bool c) {
    compressed_ = c;
    Change(this);
}

int TWJKListItem::GetIndex() const {
    if (auto* c = qobject_cast<TWJKCustomContainer*>(Owner())) return c->IndexOf(this);
    return -1;
}

void TWJKListItem::AssignStd(const TWJKListItem& source) {
    compressed_ = source.compressed_;
    description_ = source.description_;
    ident_ = source.ident_;
}

std::uint8_t TWJKListItem::WriteFlag() const {
    std::uint8_t f = 0;
    if (compressed_) f |= kFlagCompressed;
    if (!description_.empty()) f |= kFlagDescription;
    if (ident_ != 0) f |= kFlagIdent;
    return f;
}

std::uint8_t TWJKListItem::ReadStd(TStream& stream) {
    if (stream.Remaining() < 1) throw EReadError();
    const std::uint8_t flag = stReadByte(stream);
    compressed_ = (flag & kFlagCompressed) != 0;
    description_.clear();
    if (flag & kFlagDescription) {
        const std::int64_t left = stream.Remaining();
        std::string d;
        stReadString(stream, d);
        // The length byte promised more than the record holds.
        if (left < 1 || static_cast<std::int64_t>(d.size()) + 1 > left) throw EReadError();
        description_ = std::move(d);
    }
    ident_ = 0;
    if (flag & kFlagIdent) {
        if (stream.Remaining() < 4) throw EReadError();
        ident_ = static_cast<std::uint16_t>(stReadInteger(stream) & 0xFFFF);
    }
    return flag;
}

void TWJKListItem::WriteStd(TStream& stream) const {
    const std::uint8_t flag = WriteFlag();
    stWriteByte(stream, flag);
    if (flag & kFlagDescription) stWriteString(stream, description_);
    if (flag & kFlagIdent) stWriteInteger(stream, ident_);
}

void TWJKListItem::ReadState(TReader& reader) {
    TWJKCustomComponent::ReadState(reader);
    if (auto* c = qobject_cast<TWJKCustomContainer*>(reader.Parent())) c->Add(this);
}

void TWJKListItem::Change(TComponent* sender) {
    TWJKCustomComponent::Change(sender);
    if (auto* c = qobject_cast<TWJKCustomContainer*>(Owner())) c->Change(this);
}

} // namespace orlenth
