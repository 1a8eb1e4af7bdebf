#include "tools/StandardStreams.h"

#include "tools/IoFailure.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace orlenth::tool {

void ReserveStandardDescriptors() {
    // In order: a closed descriptor is the lowest free one, so open() returns that number.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        const int got = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (got >= 0 && got != fd) ::close(got);
    }
}

void WriteAllStdout(const std::uint8_t* data, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t w = ::write(STDOUT_FILENO, data + done, n - done);
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) throw WriteFailure("standard output", errno);
        if (w == 0) throw WriteFailure("standard output", EIO);
        done += static_cast<std::size_t>(w);
    }
}

void FinishStdout() {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    // An error printf met earlier, when its buffer filled, leaves only the flag.
    const int err = flushed ? 0 : errno;
    if (!flushed || std::ferror(stdout)) throw WriteFailure("standard output", err);
    if (std::fclose(stdout) != 0) throw WriteFailure("standard output", errno);
}

} // namespace orlenth::tool
