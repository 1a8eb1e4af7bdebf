#pragma once
// The stored records read again from docs/framing.md and docs/item-record.md, field by
// field, with the block decoder of tests/reference_codec.cpp: what the readers must find, so
// that a loss made on reading shows (a round trip from what was read repeats it). Shared by
// the string_list and item_record targets.

#include "FuzzTarget.h"

#include "library/LineList.h"
#include "tests/reference_codec.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace record_reference {

// Bytes read from the front; a field cut short fails the record.
struct Bytes {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::size_t left() const { return size - at; }
    std::optional<std::int32_t> Int32() {
        if (left() < 4) return std::nullopt;
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | data[at + static_cast<std::size_t>(i)];
        at += 4;
        return static_cast<std::int32_t>(v);
    }
};

// A compressed stream: the total, then blocks of 1..32782 bytes that fill it exactly.
inline std::optional<std::string> Compressed(Bytes& in) {
    const auto total = in.Int32();
    if (!total || *total < 0) return std::nullopt;
    std::string out;
    for (std::int64_t left = *total; left > 0;) {
        const auto size = in.Int32();
        if (left < 5 || !size || *size < 1 || *size > 32782 || *size + 4 > left ||
            static_cast<std::size_t>(*size) > in.left())
            return std::nullopt;
        const auto n = static_cast<std::size_t>(*size);
        const auto block = reference::decompressChecked(in.data + in.at, n);
        if (!block) return std::nullopt;
        out.append(block->begin(), block->end());
        in.at += n;
        left -= 4 + *size;
    }
    return out;
}

// The text form a string-list payload carries.
inline std::optional<std::string> Payload(Bytes& in, bool compressed) {
    if (compressed) return Compressed(in);
    const auto n = in.Int32();
    if (!n || *n < 0 || static_cast<std::size_t>(*n) > in.left()) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(in.data + in.at), static_cast<std::size_t>(*n));
    in.at += text.size();
    return text;
}

// A text form's lines: CR LF, CR or LF ends one, a NUL ends the text, a last line without
// a break counts, a final break adds none.
inline std::vector<std::string> Lines(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines.push_back(std::move(line));
        line.clear();
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

struct Item {
    bool compressed = false;
    std::string description;
    std::uint16_t ident = 0;
    std::vector<std::string> lines;
};

inline std::optional<Item> ReadItem(Bytes& in) {
    if (in.left() < 1) return std::nullopt;
    const std::uint8_t flag = in.data[in.at++];
    Item item;
    item.compressed = flag & 1;
    if (flag & 2) {
        if (in.left() < 1 || in.left() - 1 < in.data[in.at]) return std::nullopt;
        item.description.assign(reinterpret_cast<const char*>(in.data + in.at + 1), in.data[in.at]);
        in.at += 1 + in.data[in.at];
    }
    if (flag & 4) {
        const auto ident = in.Int32();
        if (!ident) return std::nullopt;
        item.ident = static_cast<std::uint16_t>(*ident);
    }
    if (flag & 8) {
        const auto text = Payload(in, item.compressed);
        if (!text) return std::nullopt;
        item.lines = Lines(*text);
    }
    return item;
}

// A container record: its body wrapped as a payload is, then a count and as many items.
inline std::optional<std::vector<Item>> ReadContainer(Bytes& in, bool compressed) {
    const auto body = Payload(in, compressed);
    if (!body) return std::nullopt;
    Bytes b{reinterpret_cast<const std::uint8_t*>(body->data()), body->size()};
    const auto count = b.Int32();
    if (!count || *count < 0 || static_cast<std::size_t>(*count) > b.left()) return std::nullopt;
    std::vector<Item> items;
    for (std::int32_t i = 0; i < *count; ++i) {
        auto item = ReadItem(b);
        if (!item) return std::nullopt;
        items.push_back(std::move(*item));
    }
    return items;
}

inline bool SameLines(const orlenth::TLineList& list, const std::vector<std::string>& lines) {
    if (list.Count() != static_cast<int>(lines.size())) return false;
    for (int i = 0; i < list.Count(); ++i)
        if (std::string_view(list[i]) != lines[static_cast<std::size_t>(i)]) return false;
    return true;
}

} // namespace record_reference
