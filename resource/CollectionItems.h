#pragma once
// A category container's items to and from a collection folder: `catalogue.tsv` (ident,
// file, title, description per line, in display order) and one UTF-8 file per article.

#include "resource/ObjectTree.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orlenth {

// The item records of a container built from a collection folder, by the library's
// writing rules: item 0 the catalogue (its lines the titles, its description
// `catalogueDescription`, identifier 0), then one item per catalogue line, all compressed.
// Texts are converted from UTF-8 to GBK with CR LF breaks. A fault in the folder is
// EDescriptionError with `where` as its place ("file:line").
std::vector<TObjectRecord> BuildCollectionItems(const std::filesystem::path& dir,
                                                const std::string& catalogueDescription,
                                                const std::string& where);

// Writes the items of a container record as a collection folder, when that gives back the
// same records; returns the catalogue description to name in the `items` line, or nothing
// (and writes nothing) when the items cannot be expressed that way.
std::optional<std::string> WriteCollectionItems(const std::vector<TObjectRecord>& items,
                                                const std::filesystem::path& dir);

} // namespace orlenth
