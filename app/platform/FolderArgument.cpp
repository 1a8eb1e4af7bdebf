#include "app/platform/FolderArgument.h"

#include "app/platform/FileEntry.h"

#include <cstdlib>
#include <memory>
#include <string>

#include <unistd.h>

namespace orlenth::platform {

namespace {

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};
using MallocString = std::unique_ptr<char, FreeDeleter>;

// Empty when the working directory is gone or cannot be named.
std::string WorkingDirectory() {
    const MallocString wd(::get_current_dir_name());
    return wd ? std::string(wd.get()) : std::string();
}

} // namespace

FolderTarget LocateFolderArgument(std::string_view argument) {
    if (argument.empty()) return {};
    std::string workingDirectory;
    if (argument.front() != '/') {
        // Without it, "." would still be the removed folder, and its tab nameless.
        workingDirectory = WorkingDirectory();
        if (workingDirectory.empty()) return {};
    }
    const std::string path = ResolveAgainst(argument, workingDirectory);
    FolderTarget target = SplitFolderTarget(path, KindOf(path) == EntryKind::Directory);
    if (KindOf(target.folder) != EntryKind::Directory) return {};
    if (EndsInDotName(target.folder)) {
        if (const MallocString real{::realpath(target.folder.c_str(), nullptr)}) {
            target.folder = real.get();
            if (target.folder.back() != '/') target.folder += '/';
        }
    }
    return target;
}

} // namespace orlenth::platform
