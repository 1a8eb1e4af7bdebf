#include "app/platform/FileEntry.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <memory>

namespace orlenth::platform {

EntryKind KindOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return EntryKind::Missing;
    if (S_ISDIR(st.st_mode)) return EntryKind::Directory;
    return S_ISREG(st.st_mode) ? EntryKind::Other : EntryKind::Special;
}

bool EntryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

std::string CanonicalPath(const std::string& path) {
    if (path.empty()) return path;
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    return resolved ? std::string(resolved.get()) : path;
}

} // namespace orlenth::platform
