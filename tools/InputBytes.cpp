#include "tools/InputBytes.h"

#include "tools/Command.h"
#include "tools/IoFailure.h"

#include "framework/Errors.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace orlenth::tool {

namespace {

std::string& noted() {
    static std::string name;
    return name;
}

} // namespace

const std::string& NotedInput() {
    return noted();
}

TInputBytes ReadInput(const std::string& path) {
    const bool standard = path.empty() || path == "-";
    const std::string name = standard ? "standard input" : path;
    noted() = name;
    // O_NONBLOCK: opening a FIFO nobody writes to would wait for ever. Reads block again
    // below, and a FIFO without a writer then reads as empty instead of hanging.
    const int fd = standard ? STDIN_FILENO
                            : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = errno;
        if (fd >= 0 && !standard) ::close(fd);
        if (standard) throw ReadFailure(name, err);
        throw EFOpenError::forFile(name);
    }
    struct Closer {
        int fd;
        bool own;
        ~Closer() {
            if (own) ::close(fd);
        }
    } closer{fd, !standard};
    // A device named as input (/dev/zero, /dev/urandom) never ends; a terminal as stdin is
    // someone typing, which is allowed.
    if (!standard && !S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode) && !S_ISSOCK(st.st_mode))
        throw UsageError{EscapeControls(name) + " is not a file or a pipe"};
    if (!standard) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const auto tooLong = [&] {
        return UsageError{EscapeControls(name) + " is longer than " +
                          std::to_string(kMaxInputBytes) + " bytes"};
    };
    if (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > kMaxInputBytes)
        throw tooLong();
    // Read straight into one block that grows in place (realloc moves large blocks by
    // remapping, not copying) and never past one byte more than the bound, which is how an
    // input that does not end is told from one that fits.
    TInputBytes out;
    constexpr std::size_t kRoom = static_cast<std::size_t>(kMaxInputBytes) + 1;
    std::size_t capacity = 0;
    const auto grow = [&](std::size_t want) {
        want = std::min(want, kRoom);
        char* p = static_cast<char*>(std::realloc(out.bytes_.get(), want));
        if (!p)
            throw UsageError{"not enough memory to read " + EscapeControls(name) + " (" +
                             std::to_string(want) + " bytes)"};
        (void)out.bytes_.release();
        out.bytes_.reset(p);
        capacity = want;
    };
    // A regular file is taken at its size, plus room to see whether it grew meanwhile.
    grow(S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) + 1 : std::size_t{1} << 16);
    for (;;) {
        if (out.size_ == capacity) {
            if (capacity == kRoom) throw tooLong();
            grow(capacity * 2);
        }
        const ssize_t r = ::read(fd, out.bytes_.get() + out.size_, capacity - out.size_);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) throw ReadFailure(name, errno);
        if (r == 0) break;
        out.size_ += static_cast<std::size_t>(r);
    }
    if (out.size_ > kMaxInputBytes) throw tooLong();
    return out;
}

} // namespace orlenth::tool
