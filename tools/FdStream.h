#pragma once
// A byte stream over a file descriptor the tool was given (stdin, stdout) or made (a
// spool file), so that the codec commands pass data through one block at a time.

#include "framework/Stream.h"

namespace orlenth::tool {

class TFdStream final : public TStream {
public:
    // Works on fd without owning it: the descriptor stays open after the stream is gone.
    explicit TFdStream(int fd);

    // Reads until n bytes have come or the input ends, so that a pipe that delivers in
    // small pieces still gives whole blocks. An error reading ends the input too, and is
    // remembered (Failed).
    std::int64_t Read(void* buffer, std::int64_t n) override;
    // Writes until all n bytes are taken or the descriptor refuses more.
    std::int64_t Write(const void* buffer, std::int64_t n) override;
    // Moves within a seekable descriptor. On one that cannot seek (a pipe, a terminal)
    // nothing moves and the answer is the number of bytes read and written so far.
    std::int64_t Seek(std::int64_t offset, Origin origin) override;

    // Whether a write may go back to an earlier position: a seekable descriptor that does
    // not append every write at the end.
    bool CanGoBack() const { return canGoBack_; }
    // Whether a read or write was refused by an error rather than by the end of the input:
    // a copy that stopped there is not whole.
    bool Failed() const { return failed_; }
    // The errno of the first such error; 0 when none was.
    int Error() const { return error_; }

private:
    int fd_;
    bool canGoBack_ = false;
    bool failed_ = false;
    int error_ = 0;
    std::int64_t moved_ = 0;
};

// An unnamed temporary file, gone from the file system as soon as it exists, in $TMPDIR
// (or /tmp): room for data that must be seen whole before any of it is written out.
class TSpoolFile {
public:
    TSpoolFile();
    ~TSpoolFile();
    TSpoolFile(const TSpoolFile&) = delete;
    TSpoolFile& operator=(const TSpoolFile&) = delete;
    TFdStream& Stream() { return stream_; }

private:
    static int Open();

    int fd_;
    TFdStream stream_;
};

} // namespace orlenth::tool
