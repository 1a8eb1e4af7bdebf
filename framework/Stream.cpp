#include "framework/Stream.h"

#include "framework/Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace orlenth {

std::int64_t TStream::Size() {
    const std::int64_t here = Position();
    const std::int64_t end = Seek(0, Origin::End);
    SetPosition(here);
    return end;
}

std::int64_t TStream::Remaining() {
    const std::int64_t here = Position();
    return std::max<std::int64_t>(0, Size() - here);
}

const std::uint8_t* TStream::ReadInPlace(std::int64_t) {
    return nullptr;
}

void TStream::ReadExact(void* buffer, std::int64_t n) {
    if (n > 0 && Read(buffer, n) != n) throw EReadError();
}

void TStream::WriteExact(const void* buffer, std::int64_t n) {
    if (n > 0 && Write(buffer, n) != n) throw EWriteError();
}

// ---------------------------------------------------------------- memory

TMemoryStream::TMemoryStream(const void* data, std::int64_t n) {
    if (n > 0) bytes_.assign(static_cast<const char*>(data), static_cast<std::size_t>(n));
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t n) {
    const std::int64_t size = Size();
    if (n <= 0 || pos_ >= size) return 0;
    const std::int64_t count = std::min(n, size - pos_);
    std::memcpy(buffer, bytes_.data() + pos_, static_cast<std::size_t>(count));
    pos_ += count;
    return count;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t n) {
    if (n <= 0) return 0;
    const std::int64_t end = pos_ + n;
    if (pos_ == Size()) {
        // Appending, the usual case: the string grows geometrically by itself.
        bytes_.append(static_cast<const char*>(buffer), static_cast<std::size_t>(n));
        pos_ = end;
        return n;
    }
    if (end > Size()) bytes_.resize(static_cast<std::size_t>(end));
    std::memcpy(bytes_.data() + pos_, buffer, static_cast<std::size_t>(n));
    pos_ = end;
    return n;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, Origin origin) {
    std::int64_t base = 0;
    if (origin == Origin::Current) base = pos_;
    if (origin == Origin::End) base = Size();
    pos_ = std::max<std::int64_t>(0, base + offset);
    return pos_;
}

void TMemoryStream::SetSize(std::int64_t n) {
    bytes_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, n)));
}

void TMemoryStream::Clear() {
    bytes_.clear();
    pos_ = 0;
}

std::string TMemoryStream::TakeString() {
    pos_ = 0;
    return std::exchange(bytes_, {});
}

std::int64_t TViewStream::Read(void* buffer, std::int64_t n) {
    if (n <= 0 || pos_ >= size_) return 0;
    const std::int64_t count = std::min(n, size_ - pos_);
    std::memcpy(buffer, data_ + pos_, static_cast<std::size_t>(count));
    pos_ += count;
    return count;
}

const std::uint8_t* TViewStream::ReadInPlace(std::int64_t n) {
    if (n < 0 || pos_ > size_ || n > size_ - pos_) return nullptr;
    const std::uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
}

const std::uint8_t* TMemoryStream::ReadInPlace(std::int64_t n) {
    if (n < 0 || pos_ > Size() || n > Size() - pos_) return nullptr;
    const std::uint8_t* p = Memory() + pos_;
    pos_ += n;
    return p;
}

std::int64_t TViewStream::Seek(std::int64_t offset, Origin origin) {
    std::int64_t base = 0;
    if (origin == Origin::Current) base = pos_;
    if (origin == Origin::End) base = size_;
    pos_ = std::max<std::int64_t>(0, base + offset);
    return pos_;
}

// ---------------------------------------------------------------- file

TFileStream::TFileStream(const std::string& path, Mode mode) {
    const int flags = mode == Mode::Read ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC);
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    struct stat st {};
    if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode))) {
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ < 0) throw EFOpenError::forFile(path);
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t n) {
    std::int64_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < n) {
        const ssize_t r = ::read(fd_, p + done, static_cast<std::size_t>(n - done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += r;
    }
    return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t n) {
    std::int64_t done = 0;
    const auto* p = static_cast<const char*>(buffer);
    while (done < n) {
        const ssize_t w = ::write(fd_, p + done, static_cast<std::size_t>(n - done));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) break;
        done += w;
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, Origin origin) {
    const int whence = origin == Origin::Begin     ? SEEK_SET
                       : origin == Origin::Current ? SEEK_CUR
                                                   : SEEK_END;
    off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (r < 0) r = ::lseek(fd_, 0, SEEK_SET);
    return r < 0 ? 0 : static_cast<std::int64_t>(r);
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    TFileStream f(path, TFileStream::Mode::Read);
    std::vector<std::uint8_t> out;
    const std::int64_t size = f.Size();
    out.resize(static_cast<std::size_t>(size));
    f.ReadExact(out.data(), size);
    // A file that grew while we read it: take the rest too.
    std::uint8_t chunk[65536];
    for (std::int64_t n; (n = f.Read(chunk, sizeof chunk)) > 0;)
        out.insert(out.end(), chunk, chunk + n);
    return out;
}

} // namespace orlenth
