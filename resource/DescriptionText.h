#pragma once
// The description text (docs/description-text.md): a readable form of an object stream,
// parsed into a record tree for packing and printed from one by dump.

#include "resource/ObjectStream.h"
#include "resource/ObjectTree.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace orlenth {

// What a description text stands for: the root record and the bytes that followed it in
// the stream. The reader never reads those; they are kept so that pack gives back the very
// bytes that dump was given.
struct TDescription {
    TObjectRecord root;
    std::string trailing;
};

struct TParseOptions {
    // Resolves the paths of file, picture and items values, and of the article files a
    // collection's catalogue names.
    std::filesystem::path baseDir = ".";
    // Every such path must lead inside this folder once symbolic links are resolved;
    // baseDir when empty.
    std::filesystem::path rootDir;
    // Names the text in messages.
    std::string fileName;
    // How many object records, values and set members the text may stand for, as for
    // ParseObjectStream.
    std::size_t maxRecords = kDefaultMaxRecords;
};

// Parses a description text. Any fault (syntax, an unreadable file, a path leading outside
// the root folder, a text GBK cannot hold, a collection that breaks the library's shape, a
// name or value the stream cannot hold as written, more than options.maxRecords records and
// values) is EDescriptionError "%s:%d: %s" naming the file, the line and the fault; so the
// stream of whatever it accepts reads back as the text says. Memory: the tree it builds and
// a constant for each token; blank lines and comments cost nothing. Never reads
// outside the text or the files it names, and never a file outside the root folder.
TDescription ParseDescription(std::string_view text, const TParseOptions& options);

// The same, for texts that stand for a record tree alone: the root record, any trailing
// bytes left out; the root folder is `baseDir`.
TObjectRecord ParseDescriptionText(std::string_view text, const std::filesystem::path& baseDir,
                                   const std::string& fileName);

// The stream a description stands for: the root record's bytes, then the trailing bytes.
std::string SerializeDescription(const TDescription& description);

struct TPrintOptions {
    // When set, pictures and collections are written as files below this folder and
    // referenced relatively; otherwise binary values are printed inline as hex.
    std::filesystem::path filesDir;
    // Bytes that followed the root record in the stream, printed after its end.
    std::string_view trailing;
};

// Prints a tree so that parsing the text and serializing gives the same bytes as
// serializing the tree (and the trailing bytes). Writes files only below
// options.filesDir: a collection's folder, `collection/NAME`, takes the container's name
// when IsSafeFileName allows it and no other container took it first, a made-up name
// otherwise; every folder is made by this call, and one it fills in vain (the items do not
// come back the same from it) is removed again. Nothing else is ever removed.
std::string PrintDescriptionText(const TObjectRecord& root, const TPrintOptions& options = {});

} // namespace orlenth
