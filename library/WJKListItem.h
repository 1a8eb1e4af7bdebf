#pragma once
// An item of a category container: description, 16-bit identifier and compression flag,
// with the common part of the item record (docs/item-record.md).

#include "framework/Stream.h"
#include "library/WJKCustomComponent.h"

#include <QByteArray>

#include <cstdint>
#include <string>

namespace orlenth {

class TWJKListItem : public TWJKCustomComponent {
    Q_OBJECT
    Q_PROPERTY(QByteArray Description READ DescriptionBytes WRITE SetDescriptionBytes)
    Q_PROPERTY(int Ident READ IdentValue WRITE SetIdentValue)

public:
    // Flag bits of the item record.
    static constexpr std::uint8_t kFlagCompressed = 0x01;
    static constexpr std::uint8_t kFlagDescription = 0x02;
    static constexpr std::uint8_t kFlagIdent = 0x04;
    static constexpr std::uint8_t kFlagLines = 0x08;

    Q_INVOKABLE explicit TWJKListItem(TComponent* owner = nullptr) : TWJKCustomComponent(owner) {}
    // Leaves the item list of its container, if it is still in one.
    ~TWJKListItem() override;

    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& d);
    std::uint16_t Ident() const { return ident_; }
    void SetIdent(std::uint16_t ident);
    bool Compressed() const { return compressed_; }
    void SetCompressed(bool c);

    // Position in the owning container, or -1 when the owner is not a container.
    int GetIndex() const;
    // Copies Compressed, Description and Ident.
    void AssignStd(const TWJKListItem& source);

    virtual void FreeData() {}
    virtual bool GetEmpty() const { return false; }
    virtual void ReadData(TStream&) {}
    virtual void WriteData(TStream&) {}
    // Bits 0 to 2 of the record's flag byte.
    virtual std::uint8_t WriteFlag() const;

    // Reads the flag, description and identifier fields and returns the flag byte. A field
    // that the stream ends inside is EReadError "Stream read error"; nothing past the
    // stream is read, and the item is unchanged when the flag itself is missing.
    std::uint8_t ReadStd(TStream& stream);
    // Writes the flag byte from WriteFlag, then the fields it announces.
    void WriteStd(TStream& stream) const;

    // After its own record, the item appends itself to the container being read.
    void ReadState(TReader& reader) override;
    // Raises the item's change event, then its container's, with the item as sender.
    void Change(TComponent* sender) override;

private:
    QByteArray DescriptionBytes() const { return QByteArray::fromStdString(description_); }
    void SetDescriptionBytes(const QByteArray& d) { SetDescription(d.toStdString()); }
    int IdentValue() const { return ident_; }
    // Narrower than the stored integer: keeps the low 16 bits.
    void SetIdentValue(int v) { SetIdent(static_cast<std::uint16_t>(v)); }

    std::string description_;
    std::uint16_t ident_ = 0;
    bool compressed_ = false;
};

} // namespace orlenth
