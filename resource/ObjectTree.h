#pragma once
// An object stream as a plain tree of records: what the bytes say, before anything is
// made of them. Payloads are kept as stored, so that writing a tree back gives the same
// bytes. The byte format is docs/object-stream.md.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

struct TCollectionElement {
    std::vector<struct TValue> order; // empty, or the one integer value giving the order
    std::vector<TPropertyRecord> properties;
};

struct TValue {
    ValueTag tag = ValueTag::Null;
    // Integers (tags 2, 3, 4, 16, 19).
    std::int64_t integer = 0;
    // The payload as stored: text bytes (6, 12, 20), UTF-16LE bytes (18), the identifier
    // (7), binary data (10), raw float bytes (5, 15, 17).
    std::string bytes;
    // A binary payload left where it was parsed from (see ParseObjectStream); when set,
    // it stands in for `bytes`.
    std::string_view borrowed;
    std::vector<TValue> items;                // list (1)
    std::vector<std::string> members;         // set (11)
    std::vector<TCollectionElement> elements; // collection (14)

    // The payload of a binary value, wherever it is kept.
    std::string_view Data() const { return borrowed.data() ? borrowed : std::string_view(bytes); }

    bool IsInteger() const {
        return tag == ValueTag::Int8 || tag == ValueTag::Int16 || tag == ValueTag::Int32;
    }
    bool IsText() const {
        return tag == ValueTag::String || tag == ValueTag::LString || tag == ValueTag::WString ||
               tag == ValueTag::Utf8String;
    }
};

struct TPropertyRecord {
    std::string name;
    TValue value;
};

struct TObjectRecord {
    bool hasPrefix = false;
    std::uint8_t prefixFlags = 0; // low 4 bits of the prefix byte
    std::vector<TValue> position; // with flag 2: the one integer value
    std::string className;
    std::string name;
    std::vector<TPropertyRecord> properties;
    std::vector<TObjectRecord> children;

    // This record and all below it.
    std::size_t CountRecords() const {
        std::size_t n = 1;
        for (const auto& c : children) n += c.CountRecords();
        return n;
    }
};

} // namespace orlenth
