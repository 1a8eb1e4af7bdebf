#pragma once
// The object stream's bytes to a record tree and back (docs/object-stream.md).

#include "resource/ObjectTree.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orlenth {

// How deep records and values may nest. The windows of this program nest four deep; the
// bound keeps a hostile stream from exhausting the stack.
inline constexpr int kMaxObjectNesting = 64;

// How many object records, values and set members a stream may hold unless the caller
// allows more. The program's own descriptions hold a few thousand; a record costs its tree
// 120 bytes and a value 64 (plus what they hold), so the bound keeps a small hostile
// stream (a minimal record takes 5 bytes, a flag 1) from asking for more than about 150 MB.
inline constexpr std::size_t kDefaultMaxRecords = std::size_t{1} << 20;

// Parses a whole object stream: "TPF0" and the root record. Trusts nothing:
// - a signature other than "TPF0": EReadError "Invalid stream format";
// - data ending inside any record, or a length past the end: EReadError "Stream read error";
// - an unknown value tag, or nesting deeper than kMaxObjectNesting: EReadError
//   "Invalid property value";
// - more than `maxRecords` object records, values and set members together: EReadError
//   "Stream holds more than %s records and values", before the tree grows past them.
// An error inside a property's value is framed as "Error reading %s%s%s: %s" with the
// record's name (its class name when it has none), ".", the property name and the message.
// Bytes after the root record are not read; `length`, when given, receives the number of
// bytes the signature and the root record take. Never reads outside `bytes`. With
// borrowBinaries, binary payloads are not copied but refer into `bytes`, which must then
// outlive the tree (the library's megabyte of item records is read once, in place).
TObjectRecord ParseObjectStream(std::string_view bytes, bool borrowBinaries = false,
                                std::size_t* length = nullptr,
                                std::size_t maxRecords = kDefaultMaxRecords);

// Writes "TPF0" and the root record exactly as the tree holds it (prefixes and value tags
// included). Names longer than 255 bytes are cut to their first 255 bytes.
std::string SerializeObjectStream(const TObjectRecord& root);

// A text value by the writing rule, from GBK bytes: tag 6 (or 12) for pure ASCII, tag 20
// when the UTF-8 form is shorter than the UTF-16 form, else tag 18. GBK bytes that do not
// decode are stored as they are, with tag 6 or 12.
TValue MakeTextValue(std::string_view gbk);
// The smallest integer tag that holds the value (2, 3 or 4).
TValue MakeIntegerValue(std::int32_t v);
TValue MakeBooleanValue(bool v);
TValue MakeBinaryValue(std::string bytes);
TValue MakeIdentValue(std::string ident);

// A text value's GBK bytes: tags 6 and 12 as stored, 18 and 20 converted. Any other tag:
// EReadError "Invalid property value".
std::string TextValueToGbk(const TValue& v);

} // namespace orlenth
