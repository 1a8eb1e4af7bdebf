#pragma once
// An object stream as a plain tree of records: what the bytes say, before anything is
// made of them. Payloads are kept as stored, so that writing a tree back gives the same
// bytes. The byte format is docs/object-stream.md.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "resource/RecordList.h"
#include "resource/ShortName.h"

namespace orlenth {

enum class ValueTag : std::uint8_t {
    Null = 0,
    List = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    Extended = 5,
    String = 6,
    Ident = 7,
    False = 8,
    True = 9,
    Binary = 10,
    Set = 11,
    LString = 12,
    Nil = 13,
    Collection = 14,
    Single = 15,
    Currency = 16,
    Date = 17,
    WString = 18,
    Int64 = 19,
    Utf8String = 20,
};

struct TPropertyRecord;
struct TValue;

struct TCollectionElement {
    std::vector<TValue> order; // empty, or the one integer value giving the order
    std::vector<TPropertyRecord> properties;
};

// The parts only lists, sets and collections have. They are kept apart, made when first
// asked for, so that the common values (integers, texts, binaries, flags) stay small: a
// stream of a million values costs tens of bytes for each.
struct TValueParts;

struct TValue {
    ValueTag tag = ValueTag::Null;
    // Integers (tags 2, 3, 4, 16, 19); for a borrowed binary, its size.
    std::int64_t integer = 0;
    // The payload as stored: text bytes (6, 12, 20), UTF-16LE bytes (18), the identifier
    // (7), binary data (10), raw float bytes (5, 15, 17).
    std::string bytes;

    TValue() = default;
    TValue(const TValue& other);
    TValue(TValue&&) noexcept = default;
    TValue& operator=(const TValue& other);
    TValue& operator=(TValue&&) noexcept = default;
    ~TValue();

    // The payload of a binary value, wherever it is kept.
    std::string_view Data() const {
        return borrowed_ ? std::string_view(borrowed_, static_cast<std::size_t>(integer))
                         : std::string_view(bytes);
    }
    // Leaves a binary payload where it was parsed from (see ParseObjectStream); it then
    // stands in for `bytes`.
    void Borrow(std::string_view payload) {
        borrowed_ = payload.data();
        integer = static_cast<std::int64_t>(payload.size());
    }

    std::vector<TValue>& Items();                            // list (1)
    const std::vector<TValue>& Items() const;                //
    std::vector<std::string>& Members();                     // set (11)
    const std::vector<std::string>& Members() const;         //
    std::vector<TCollectionElement>& Elements();             // collection (14)
    const std::vector<TCollectionElement>& Elements() const; //

    bool IsInteger() const {
        return tag == ValueTag::Int8 || tag == ValueTag::Int16 || tag == ValueTag::Int32;
    }
    bool IsText() const {
        return tag == ValueTag::String || tag == ValueTag::LString || tag == ValueTag::WString ||
               tag == ValueTag::Utf8String;
    }

private:
    const char* borrowed_ = nullptr;
    std::unique_ptr<TValueParts> parts_;
};

struct TPropertyRecord {
    std::string name;
    TValue value;
};

struct TValueParts {
    std::vector<TValue> items;
    std::vector<std::string> members;
    std::vector<TCollectionElement> elements;
};

inline TValue::TValue(const TValue& other)
    : tag(other.tag), integer(other.integer), bytes(other.bytes), borrowed_(other.borrowed_),
      parts_(other.parts_ ? std::make_unique<TValueParts>(*other.parts_) : nullptr) {}

inline TValue& TValue::operator=(const TValue& other) {
    if (this != &other) *this = TValue(other);
    return *this;
}

inline TValue::~TValue() = default;

inline std::vector<TValue>& TValue::Items() {
    if (!parts_) parts_ = std::make_unique<TValueParts>();
    return parts_->items;
}
inline std::vector<std::string>& TValue::Members() {
    if (!parts_) parts_ = std::make_unique<TValueParts>();
    return parts_->members;
}
inline std::vector<TCollectionElement>& TValue::Elements() {
    if (!parts_) parts_ = std::make_unique<TValueParts>();
    return parts_->elements;
}
inline const std::vector<TValue>& TValue::Items() const {
    static const std::vector<TValue> none;
    return parts_ ? parts_->items : none;
}
inline const std::vector<std::string>& TValue::Members() const {
    static const std::vector<std::string> none;
    return parts_ ? parts_->members : none;
}
inline const std::vector<TCollectionElement>& TValue::Elements() const {
    static const std::vector<TCollectionElement> none;
    return parts_ ? parts_->elements : none;
}

struct TObjectRecord {
    bool hasPrefix = false;
    std::uint8_t prefixFlags = 0; // low 4 bits of the prefix byte
    // With flag 2, the child position: an integer value (tag 2, 3 or 4) as stored. Kept in
    // the record itself, so that the rare position costs nothing in records without one.
    ValueTag positionTag = ValueTag::Null; // Null: none
    std::int32_t position = 0;
    // Names and lists in their compact forms: a stream may hold a million records, most
    // with short names and no properties or children, and each costs its tree this struct.
    TShortName className;
    TShortName name;
    TRecordList<TPropertyRecord> properties;
    TRecordList<TObjectRecord> children;

    bool HasPosition() const { return positionTag != ValueTag::Null; }
    // The position as the value it was stored as.
    TValue PositionValue() const {
        TValue v;
        v.tag = positionTag;
        v.integer = position;
        return v;
    }
    // Keeps an integer value (tags 2, 3, 4) as the position; the caller checks the tag.
    void SetPosition(const TValue& v) {
        positionTag = v.tag;
        position = static_cast<std::int32_t>(v.integer);
    }

    // This record and all below it.
    std::size_t CountRecords() const {
        std::size_t n = 1;
        for (const auto& c : children) n += c.CountRecords();
        return n;
    }
};

} // namespace orlenth
