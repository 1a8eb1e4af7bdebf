#pragma once
// The description text (docs/description-text.md): a readable form of an object stream,
// parsed into a record tree for packing and printed from one by dump.

#include "resource/ObjectTree.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace orlenth {

// Parses a description text. `baseDir` resolves the paths of file, picture and items
// values. Any fault (syntax, an unreadable file, a text GBK cannot hold, a collection that
// breaks the library's shape) is EDescriptionError "%s:%d: %s" naming `fileName`, the line
// and the fault. Never reads outside the text or the files it names.
TObjectRecord ParseDescriptionText(std::string_view text, const std::filesystem::path& baseDir,
                                   const std::string& fileName);

struct TPrintOptions {
    // When set, pictures and collections are written as files below this folder and
    // referenced relatively; otherwise binary values are printed inline as hex.
    std::filesystem::path filesDir;
};

// Prints a tree so that parsing the text and serializing gives the same bytes as
// serializing the tree. Writes files only below options.filesDir.
std::string PrintDescriptionText(const TObjectRecord& root, const TPrintOptions& options = {});

} // namespace orlenth
