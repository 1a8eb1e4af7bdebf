#include "tools/OutputFile.h"

#include "tools/Command.h"
#include "tools/FdStream.h"
#include "tools/IoFailure.h"
#include "tools/StandardStreams.h"

#include "framework/Errors.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace orlenth::tool {

namespace {

std::string shown(const std::string& path) {
    return EscapeControls(path);
}

// Writes all bytes at the descriptor's position; false with errno when it takes fewer.
bool writeAll(int fd, std::string_view bytes) {
    TFdStream s(fd);
    const auto n = static_cast<std::int64_t>(bytes.size());
    if (s.Write(bytes.data(), n) == n) return true;
    errno = s.Error() ? s.Error() : EIO;
    return false;
}

// The name a chain of symbolic links ends at when its last target does not exist yet.
std::string danglingEnd(const std::string& link) {
    std::filesystem::path p = link;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(p, ec))) return p;
        const std::filesystem::path to = std::filesystem::read_symlink(p, ec);
        if (ec) throw WriteFailure(link, ec.value());
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
    throw WriteFailure(link, ELOOP);
}

// A new file beside `target`, filled, then renamed over it: a failure at any point leaves
// `target` as it was. `old` is the file replaced, if any, whose mode and owner the new one
// takes.
void replaceRegular(const std::string& out, const std::string& target, const struct stat* old,
                    std::string_view bytes) {
    // Renaming needs only the folder's permission; a file its owner made read-only stays so.
    if (old && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        throw WriteFailure(out, errno);
    std::string part = target + ".XXXXXX.part";
    const int fd = ::mkostemps(part.data(), 5, O_CLOEXEC);
    if (fd < 0) throw WriteFailure(out, errno);
    std::string note;
    const auto fail = [&](int err) {
        ::close(fd);
        ::unlink(part.c_str());
        return WriteFailure(out, err);
    };
    mode_t mode = 0;
    if (old) {
        // Owner first: changing it clears the set-user and set-group bits the mode restores.
        // Only the superuser may give a file away; anyone may keep a group they are in.
        if ((old->st_uid != ::geteuid() || old->st_gid != ::getegid()) &&
            ::fchown(fd, old->st_uid, old->st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old->st_gid);
        struct stat now {};
        if (::fstat(fd, &now) == 0 && (now.st_uid != old->st_uid || now.st_gid != old->st_gid))
            note = shown(out) + " now belongs to uid " + std::to_string(now.st_uid) + ", gid " +
                   std::to_string(now.st_gid) + ", not to uid " + std::to_string(old->st_uid) +
                   ", gid " + std::to_string(old->st_gid) +
                   " as before: only the superuser may give a file to another user";
        mode = old->st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) throw fail(errno);
    if (!writeAll(fd, bytes)) throw fail(errno);
    if (::fsync(fd) != 0 && errno != EINVAL) throw fail(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(part.c_str());
        throw WriteFailure(out, err);
    }
    if (std::rename(part.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(part.c_str());
        throw WriteFailure(out, err);
    }
    if (!note.empty()) std::fprintf(stderr, "orlenth-tool pack: %s\n", note.c_str());
}

// A file with other names: the same file must take the stream, or those names keep the old
// one. The room is reserved before the first byte changes, so a full disk refuses it whole.
void rewriteInPlace(const std::string& out, const std::string& target, std::string_view bytes) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throw WriteFailure(out, errno);
    const auto fail = [&](int err) {
        ::close(fd);
        return WriteFailure(out, err);
    };
    const auto size = static_cast<off_t>(bytes.size());
    if (size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP)
        throw fail(errno);
    if (!writeAll(fd, bytes)) throw fail(errno);
    if (::ftruncate(fd, size) != 0) throw fail(errno);
    if (::fsync(fd) != 0 && errno != EINVAL) throw fail(errno);
    if (::close(fd) != 0) throw WriteFailure(out, errno);
}

// A device, a FIFO, a socket: opened and written into as it is.
void writeInto(const std::string& out, const std::string& target, std::string_view bytes) {
    // Without waiting: a FIFO nobody reads would hold pack for ever.
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0 && errno == ENXIO)
        throw UsageError{shown(out) + " is a FIFO or socket that nobody reads; pack writes into " +
                         "a FIFO only while someone reads it"};
    if (fd < 0) throw WriteFailure(out, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw UsageError{shown(out) + " changed while pack opened it; nothing was written"};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!writeAll(fd, bytes)) {
        const int err = errno;
        ::close(fd);
        throw WriteFailure(out, err);
    }
    if (::close(fd) != 0) throw WriteFailure(out, errno);
}

} // namespace

void WriteOutputFile(const std::string& out, std::string_view bytes) {
    if (out.empty())
        throw UsageError{"-o takes a file name (or - for standard output), and '' names none"};
    if (out == "-") {
        WriteAllStdout(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        return;
    }
    std::string target = out;
    struct stat st {};
    bool exists = ::stat(out.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) throw WriteFailure(out, errno);
    struct stat link {};
    if (::lstat(out.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (!exists) {
            target = danglingEnd(out);
        } else if (S_ISREG(st.st_mode)) {
            // The file the link names is replaced, the link stays as it is.
            char* resolved = ::realpath(out.c_str(), nullptr);
            if (!resolved) throw WriteFailure(out, errno);
            target = resolved;
            std::free(resolved);
        }
    }
    if (!exists) return replaceRegular(out, target, nullptr, bytes);
    if (S_ISDIR(st.st_mode))
        throw UsageError{shown(out) + " is a folder; -o names the file to write"};
    if (S_ISBLK(st.st_mode))
        throw UsageError{shown(out) + " is a block device; pack does not write onto disks"};
    if (!S_ISREG(st.st_mode)) return writeInto(out, target, bytes);
    if (st.st_nlink > 1) return rewriteInPlace(out, target, bytes);
    replaceRegular(out, target, &st, bytes);
}

} // namespace orlenth::tool
