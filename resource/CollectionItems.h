#pragma once
// A category container's items to and from a collection folder: `catalogue.tsv` (ident,
// file, title, description per line, in display order) and one UTF-8 file per article.

#include "resource/ObjectTree.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orlenth {

// Builds the item records of a container from a collection folder, by the library's
// writing rules, and hands each to `take` as soon as it is made, so that only one article
// is held at a time: item 0 the catalogue (its lines the titles, its description
// `catalogueDescription`, identifier 0), then one item per catalogue line, all compressed.
// Texts are converted from UTF-8 to GBK with CR LF breaks. The catalogue and every article
// file it names must lie inside `root` once symbolic links are resolved; article files
// are relative to `dir`. A fault in the folder, or a file outside `root`, is
// EDescriptionError with `where` as its place ("file:line"); nothing outside `root` is read.
void ForEachCollectionItem(const std::filesystem::path& dir,
                           const std::string& catalogueDescription, const std::string& where,
                           const std::filesystem::path& root,
                           const std::function<void(TObjectRecord&&)>& take);

// The same records, all of them.
std::vector<TObjectRecord> BuildCollectionItems(const std::filesystem::path& dir,
                                                const std::string& catalogueDescription,
                                                const std::string& where,
                                                const std::filesystem::path& root);

// Writes the items of a container record as a collection folder, when that gives back the
// same records; returns the catalogue description to name in the `items` line, or nothing
// when the items cannot be expressed that way. `dir` must not exist yet: this call makes it
// (its parent must exist) and removes it again when the folder does not give back the same
// records. Nothing else is created or removed, and an existing `dir` is left as it is (the
// answer is then nothing). Items are decoded one at a time. A file that cannot be made or
// written: EFOpenError or EWriteError.
std::optional<std::string> WriteCollectionItems(std::span<const TObjectRecord> items,
                                                const std::filesystem::path& dir);

} // namespace orlenth
