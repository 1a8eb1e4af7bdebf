#include "tools/StagedFolder.h"

#include "tools/Command.h"
#include "tools/IoFailure.h"

#include "framework/Errors.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace orlenth::tool {

namespace {

// Whether `p` is `dir` followed by one more name, once both are resolved.
bool directlyInside(const std::filesystem::path& dir, const std::filesystem::path& p) {
    std::error_code ec;
    const auto d = std::filesystem::weakly_canonical(dir, ec);
    if (ec) return false;
    const auto q = std::filesystem::weakly_canonical(p, ec);
    return !ec && q.parent_path() == d && q.filename() == p.filename();
}

std::string shown(const std::filesystem::path& p) {
    return EscapeControls(p.string());
}

// A rename that never replaces: where the file system cannot promise that, the target is
// checked first, which leaves only a moment for someone else to create it.
bool moveWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(to, ec))) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

// The lock two dumps into one folder take while they put their entries in place, so that
// neither sees the folder half filled by the other.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& dir)
        : fd_(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ < 0) throw EFOpenError::forFile(dir.string());
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FolderLock() { ::close(fd_); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

} // namespace

TStagedFolder::TStagedFolder(std::filesystem::path out) : out_(std::move(out)) {
    std::error_code ec;
    std::filesystem::create_directories(out_, ec);
    if (ec || !std::filesystem::is_directory(out_)) throw EFOpenError::forFile(out_.string());
    signals_.Watch([&] {
        std::string name = (out_ / ".dump-XXXXXX").string();
        if (!::mkdtemp(name.data())) throw EFOpenError::forFile(name);
        stage_ = name;
        return stage_;
    });
}

TStagedFolder::~TStagedFolder() {
    signals_.Undisturbed([&] {
        std::error_code ec;
        std::filesystem::remove_all(stage_, ec);
    });
}

std::vector<std::filesystem::path> TStagedFolder::Commit() {
    // Waiting for another dump's lock can take a while; a signal still ends that wait.
    const FolderLock lock(out_);
    std::vector<std::filesystem::path> done;
    signals_.Undisturbed([&] { done = commitLocked(); });
    return done;
}

std::vector<std::filesystem::path> TStagedFolder::commitLocked() {
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> moves;
    for (const auto& entry : std::filesystem::directory_iterator(stage_)) {
        const auto target = out_ / entry.path().filename();
        if (!directlyInside(out_, target))
            throw UsageError{shown(target) + " would lie outside " + shown(out_)};
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(target, ec)))
            throw UsageError{shown(target) + " exists already; dump writes only new files"};
        moves.emplace_back(entry.path(), target);
    }
    std::vector<std::filesystem::path> done;
    for (const auto& [from, to] : moves) {
        if (moveWithoutReplacing(from, to)) {
            done.push_back(to);
            continue;
        }
        const int err = errno;
        // Back where they came from: the folder is left as it was.
        for (auto it = moves.begin();
             it != moves.begin() + static_cast<std::ptrdiff_t>(done.size()); ++it)
            (void)moveWithoutReplacing(it->second, it->first);
        if (err == EEXIST || err == ENOTEMPTY)
            throw UsageError{shown(to) + " exists already; dump writes only new files"};
        throw WriteFailure(to.string(), err);
    }
    return done;
}

} // namespace orlenth::tool
