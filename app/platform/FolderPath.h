#pragma once
// The folder part of the first command-line argument and the name of its tab.
// All are pure functions of bytes; the style says which separators count.

#include <string>
#include <string_view>

namespace orlenth::platform {

enum class PathStyle {
    // Only '/' separates. Names are opaque bytes.
    Posix,
    // '\\' and ':' separate, except a byte that is the second byte of a GBK
    // double-byte character (a lead byte 0x81..0xFE always takes the next byte).
    Windows,
};

// The style of the platform we run on.
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;

// The argument up to and including its last separator; empty when the argument is
// empty or holds no separator.
std::string FolderPathOf(std::string_view argument, PathStyle style);

// The caption of the folder tab for a folder path as FolderPathOf gives it.
// Windows: a folder path of 3 bytes or fewer (a drive root such as "C:\") is its own
// name; otherwise the trailing separator is dropped and what follows the last
// separator of the rest is the name.
// Posix: trailing '/' are dropped and what follows the last '/' is the name; a path of
// slashes only (the root) is its own name.
std::string FolderTabName(std::string_view folderPath, PathStyle style);

// The argument as a path from the root ('/' separates): unchanged when it starts with '/'
// or when the working directory is unknown (empty); otherwise the working directory, one
// '/' and the argument. Nothing is resolved: "." and ".." stay as the kernel will meet them.
std::string ResolveAgainst(std::string_view argument, std::string_view workingDirectory);

// What a path (as ResolveAgainst gives it) asks of the folder category.
struct FolderTarget {
    // The folder to list, ending in '/'; empty: none.
    std::string folder;
    // The name in `folder` to open first; empty: the first row.
    std::string file;
};

// `namesFolder`: the path names a folder (links followed), so that folder is listed and no
// file is named, whether or not the path ends in '/'. Otherwise the folder is the path up
// to its last '/' (FolderPathOf), "./" when it holds none, and the file what follows. An
// empty path gives nothing.
FolderTarget SplitFolderTarget(std::string_view path, bool namesFolder);

// Whether the last name of a folder path ('/' separates, trailing '/' ignored) is "." or
// "..": such a folder has no name of its own to show.
bool EndsInDotName(std::string_view folderPath);

} // namespace orlenth::platform
