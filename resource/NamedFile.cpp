#include "resource/NamedFile.h"

#include "framework/Errors.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace orlenth {

namespace {

// What a file that is not a regular file is, for the message; nothing for a regular file.
const char* otherKind(mode_t mode) {
    if (S_ISREG(mode)) return nullptr;
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// The message goes out with its place in front, whose formatting escapes control bytes.
[[noreturn]] void refuse(const std::string& message) {
    throw EFOpenError(message);
}

void refuseKind(std::string_view shown, const char* kind) {
    if (kind)
        refuse(std::string(shown) + " is " + kind + ", not a file; pack reads regular files only");
}

} // namespace

std::string ReadNamedFile(const std::filesystem::path& path, std::string_view shown) {
    // A look at the name first, so that a device is never even opened (opening some has
    // effects of its own); the descriptor is what counts in the end.
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0) refuseKind(shown, otherKind(named.st_mode));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) refuse("cannot read " + std::string(shown));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) refuse("cannot read " + std::string(shown));
    refuseKind(shown, otherKind(st.st_mode));
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size > kMaxNamedFileBytes)
        refuse(std::string(shown) + " is larger than " + std::to_string(kMaxNamedFileBytes) +
               " bytes, the most pack reads from one file");
    std::string bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        refuse("not enough memory to read " + std::string(shown) + " (" + std::to_string(size) +
               " bytes)");
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t r =
            ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) refuse("cannot read " + std::string(shown));
        if (r == 0) break;
        done += static_cast<std::size_t>(r);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace orlenth
