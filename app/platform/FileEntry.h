#pragma once
// What a path names, as far as the folder category cares.

#include <string>

namespace orlenth::platform {

enum class EntryKind {
    Missing,   // nothing there, or not reachable (a dangling link, a broken path)
    Directory, // a folder, or a link to one
    Special,   // a FIFO, socket or device: opening a FIFO waits for a writer, and a
               // device may never end, so none is read
    Other,     // a regular file: worth trying to open
};

// Links are followed. Never throws, never opens anything.
EntryKind KindOf(const std::string& path);

// Whether the folder holds an entry of that name, whatever it is: a dangling link or a
// link loop counts, links are not followed. Never throws, never opens anything.
bool EntryExists(const std::string& path);

// The path with links, "." and ".." resolved, as the kernel sees it; `path` itself when
// that fails (gone, a loop, too long). Never throws, never opens anything.
std::string CanonicalPath(const std::string& path);

} // namespace orlenth::platform
