#pragma once
// What a path names, as far as the folder category cares.

#include <string>

namespace orlenth::platform {

enum class EntryKind {
    Missing,   // nothing there, or not reachable (a dangling link, a broken path)
    Directory, // a folder, or a link to one
    Other,     // anything else: a file worth trying to open
};

// Links are followed. Never throws.
EntryKind KindOf(const std::string& path);

} // namespace orlenth::platform
