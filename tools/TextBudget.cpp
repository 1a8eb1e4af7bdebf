#include "tools/TextBudget.h"

#include "tools/Command.h"

#include "framework/Errors.h"
#include "library/CompressedStream.h"
#include "library/StreamFields.h"
#include "library/WJKListItem.h"

#include <cctype>
#include <string>

namespace orlenth::tool {

namespace {

// Adds what one item record's lines restore to, read as the item reads them.
void countRecord(std::string_view record, std::int64_t& sum, std::int64_t limit) {
    TViewStream s(record.data(), static_cast<std::int64_t>(record.size()));
    try {
        TWJKListItem fields;
        const std::uint8_t flag = fields.ReadStd(s);
        if (!(flag & TWJKListItem::kFlagLines)) return;
        if (flag & TWJKListItem::kFlagCompressed) {
            CountCompressedStream(s, sum, limit);
        } else if (s.Remaining() >= 4) {
            const std::int32_t n = stReadInteger(s);
            if (n > 0 && n <= s.Remaining()) sum += n;
        }
    } catch (const Exception&) {
        // Counted up to the damage; the reader will name it.
    }
}

void countTree(const TObjectRecord& r, std::int64_t& sum, std::int64_t limit) {
    if (r.className == "TWJKStringListItem")
        for (const auto& p : r.properties)
            if (p.name == "Internal" && p.value.tag == ValueTag::Binary && sum <= limit)
                countRecord(p.value.Data(), sum, limit);
    for (const auto& c : r.children) countTree(c, sum, limit);
}

} // namespace

std::int64_t ParseByteCount(std::string_view text) {
    const auto bad = [&] {
        return UsageError{"--max-bytes takes a number of bytes (K, M or G may follow), not '" +
                          EscapeControls(text) + "'"};
    };
    // Checked before each step, so that no number wraps round (…616 is not 0).
    constexpr std::int64_t kMost = std::int64_t{1} << 62;
    std::int64_t n = 0;
    std::size_t i = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        const int digit = text[i] - '0';
        if (n > (kMost - digit) / 10)
            throw UsageError{"--max-bytes takes at most " + std::to_string(kMost) +
                             " bytes, not '" + EscapeControls(text) + "'"};
        n = n * 10 + digit;
    }
    if (i == 0) throw bad();
    if (i < text.size()) {
        const std::string_view unit = text.substr(i);
        const int shift = unit == "K" ? 10 : unit == "M" ? 20 : unit == "G" ? 30 : -1;
        if (shift < 0) throw bad();
        if (n > (kMost >> shift))
            throw UsageError{"--max-bytes takes at most " + std::to_string(kMost) +
                             " bytes, not '" + EscapeControls(text) + "'"};
        n <<= shift;
    }
    return n;
}

void CheckTextBudget(const TObjectRecord& root, std::int64_t limit) {
    std::int64_t sum = 0;
    countTree(root, sum, limit);
    if (sum > limit)
        throw UsageError{"the stream's item texts restore to more than " + std::to_string(limit) +
                         " bytes; --max-bytes N allows more"};
}

} // namespace orlenth::tool
