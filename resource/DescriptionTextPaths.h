#pragma once
// Where the names and paths that a stream or a description text carries may lead: dump
// turns stored names into file names, pack reads the files a description names. Both come
// from files anyone may hand over, so neither is trusted to stay where it belongs.

#include <filesystem>
#include <optional>
#include <string_view>

namespace orlenth {

// The longest stored name that may become a file or folder name, in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 200;

// Whether a stored name may serve as one file or folder name as it is: not empty, at most
// kMaxFileNameBytes bytes, no '/', '\\', NUL or other control byte (below 0x20, 0x7F), and
// neither "." nor "..". Any other byte (GBK, UTF-8) is allowed.
bool IsSafeFileName(std::string_view name);

// `base / path` with every symbolic link resolved, when the result lies inside `root`
// (resolved the same way) or is root itself; nothing otherwise, and always nothing for an
// absolute or empty path. Parts that do not exist yet are taken lexically (".." included).
// Reads only the file system's names and links, never a file's content.
std::optional<std::filesystem::path> ResolveInside(const std::filesystem::path& root,
                                                   const std::filesystem::path& base,
                                                   const std::filesystem::path& path);

} // namespace orlenth
