#pragma once
// How much item text check and dump may restore. A compressed payload can stand for a
// thousand times its size, so a stream of a few hundred kilobytes could ask for gigabytes;
// the sum is counted, and a stream over the limit refused, before any item is read.

#include "resource/ObjectTree.h"

#include <cstdint>
#include <string_view>

namespace orlenth::tool {

// The limit when --max-bytes is not given: 1 GiB.
inline constexpr std::int64_t kDefaultMaxBytes = std::int64_t{1} << 30;

// The value of --max-bytes: a number of bytes, with K, M or G (powers of 1024) after it if
// wanted. Anything else, or a number past 2^62: UsageError.
std::int64_t ParseByteCount(std::string_view text);

// Counts the text that the item records of the tree (every "Internal" of a
// TWJKStringListItem record) restore to, restoring compressed payloads a block at a time
// into scratch space, and stops counting once the sum passes `limit`. Over the limit:
// UsageError saying so. A damaged record counts what comes before its damage; reading the
// stream reports the damage itself.
void CheckTextBudget(const TObjectRecord& root, std::int64_t limit);

} // namespace orlenth::tool
