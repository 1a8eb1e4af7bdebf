#pragma once
// The entries of the folder category: what a search for "*.txt" in one folder finds.

#include <string>
#include <vector>

namespace orlenth::platform {

// Names (bytes as the file system holds them, without any path) of the entries of
// `folder` whose name ends in ".txt" in any letter case, folders included, in the order
// the directory search reports them. A missing, unreadable or vanished folder, or an
// empty `folder`, gives an empty list. Never throws for file-system reasons.
std::vector<std::string> ListTextEntries(const std::string& folder);

} // namespace orlenth::platform
