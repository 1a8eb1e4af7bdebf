#include "tools/FdStream.h"

#include "framework/Errors.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace orlenth::tool {

TFdStream::TFdStream(int fd) : fd_(fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    canGoBack_ = flags >= 0 && !(flags & O_APPEND) && ::lseek(fd, 0, SEEK_CUR) >= 0;
}

std::int64_t TFdStream::Read(void* buffer, std::int64_t n) {
    std::int64_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < n) {
        const ssize_t r = ::read(fd_, p + done, static_cast<std::size_t>(n - done));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 && !failed_) error_ = errno;
        failed_ = failed_ || r < 0;
        if (r <= 0) break;
        done += r;
    }
    moved_ += done;
    return done;
}

std::int64_t TFdStream::Write(const void* buffer, std::int64_t n) {
    std::int64_t done = 0;
    const auto* p = static_cast<const char*>(buffer);
    while (done < n) {
        const ssize_t w = ::write(fd_, p + done, static_cast<std::size_t>(n - done));
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && !failed_) error_ = errno;
        failed_ = failed_ || w < 0;
        if (w <= 0) break;
        done += w;
    }
    moved_ += done;
    return done;
}

std::int64_t TFdStream::Seek(std::int64_t offset, Origin origin) {
    const int whence = origin == Origin::Begin     ? SEEK_SET
                       : origin == Origin::Current ? SEEK_CUR
                                                   : SEEK_END;
    const off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    return r < 0 ? moved_ : static_cast<std::int64_t>(r);
}

TSpoolFile::TSpoolFile() : fd_(Open()), stream_(fd_) {}

TSpoolFile::~TSpoolFile() {
    ::close(fd_);
}

int TSpoolFile::Open() {
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/orlenth-spool-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw EFOpenError::forFile(name);
    ::unlink(name.c_str());
    return fd;
}

} // namespace orlenth::tool
