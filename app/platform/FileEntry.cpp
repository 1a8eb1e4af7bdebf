#include "app/platform/FileEntry.h"

#include <sys/stat.h>

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

} // namespace orlenth::platform
