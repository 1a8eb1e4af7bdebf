#pragma once
// A command's whole input (a stream, a description text) read into memory once, under a
// bound, and kept where it was read: no copy of a gigabyte on its way to the parser.

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace orlenth::tool {

class TInputBytes {
public:
    TInputBytes() = default;
    std::size_t size() const { return size_; }
    const char* data() const { return bytes_.get(); }
    operator std::string_view() const { return {bytes_.get(), size_}; }

private:
    friend TInputBytes ReadInput(const std::string& path);
    struct Free {
        void operator()(char* p) const { std::free(p); }
    };
    std::unique_ptr<char, Free> bytes_;
    std::size_t size_ = 0;
};

// The whole of a file, or of stdin when path is empty or "-". A file that cannot be opened
// (or is a folder): EFOpenError "Cannot open file %s". A named device (it may never end):
// UsageError. More than kMaxInputBytes: UsageError, as soon as the size or the bytes read
// tell, never holding more than one byte past the bound. A named FIFO nobody writes to
// reads as empty instead of waiting for a writer. A read the system refuses (a closed
// stdin): UsageError naming the input and why. Memory running out: UsageError naming the
// input. The name is also noted as what the command reads (NotedInput).
TInputBytes ReadInput(const std::string& path);

// The input the command read last, as messages name it ("standard input" for stdin), so
// that memory running out later, while the command works on it, can say on what; empty
// before any was read.
const std::string& NotedInput();

} // namespace orlenth::tool
