#pragma once
// The entries of the folder category: what a search for "*.txt" in one folder finds.

#include <string>
#include <vector>

namespace orlenth::platform {

// Names (bytes as the file system holds them, without any path) of the entries of
// `folder` whose name ends in ".txt" in any letter case, folders included, in reading
// order (SortForReading). A missing, unreadable or vanished folder, or an empty
// `folder`, gives an empty list. Never throws for file-system reasons.
std::vector<std::string> ListTextEntries(const std::string& folder);

// Sorts file-system names as a Chinese reader expects: by the collation of the zh_CN
// locale with runs of digits compared as numbers (第2章 before 第10章), names that collate
// alike by their bytes, so that the order never depends on the directory's.
void SortForReading(std::vector<std::string>& names);

} // namespace orlenth::platform
