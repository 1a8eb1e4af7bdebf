// compress, decompress, frame, unframe: the codec and the framing on stdin and stdout.

#include "tools/Command.h"

#include "framework/Errors.h"
#include "framework/Stream.h"
#include "library/CompressedStream.h"
#include "library/LZRW.h"
#include "tools/FdStream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace orlenth::tool {

namespace {

void noArguments(std::span<char*> args) {
    if (!args.empty())
        throw UsageError{"unexpected argument '" + EscapeControls(args.front()) + "'"};
}

// Reads at most `room` bytes of stdin into buffer and tells whether more follow, without
// reading the rest: a block command given a whole file learns so at once.
std::uint16_t readBlockInput(TLZRWBuffer& buffer, std::size_t room, bool& more) {
    TFdStream in(STDIN_FILENO);
    const std::int64_t n = in.Read(buffer.data(), static_cast<std::int64_t>(room));
    std::uint8_t extra = 0;
    more = in.Read(&extra, 1) != 0;
    if (in.Failed()) throw EReadError();
    return static_cast<std::uint16_t>(n);
}

int compressBlock(std::span<char*> args) {
    noArguments(args);
    auto src = std::make_unique<TLZRWBuffer>();
    auto dst = std::make_unique<TLZRWBuffer>();
    bool more = false;
    const std::uint16_t n = readBlockInput(*src, kLZRWMaxInput, more);
    if (more)
        throw UsageError{"input is longer than one block, which holds at most " +
                         std::to_string(kLZRWMaxInput) + " bytes (use 'frame' for longer input)"};
    const std::uint16_t m = WJKLZRWCompress(*src, *dst, n);
    WriteAllStdout(dst->data(), m);
    return 0;
}

int decompressBlock(std::span<char*> args) {
    noArguments(args);
    auto src = std::make_unique<TLZRWBuffer>();
    auto dst = std::make_unique<TLZRWBuffer>();
    bool more = false;
    const std::uint16_t n = readBlockInput(*src, kLZRWBufferSize, more);
    if (n == 0 || more)
        throw UsageError{std::string(n == 0 ? "input is empty" : "input is too long") +
                         ": a block form has 1 to " + std::to_string(kLZRWBufferSize) + " bytes"};
    const std::uint16_t m = WJKLZRWDecompress(*src, *dst, n);
    WriteAllStdout(dst->data(), m);
    return 0;
}

void writeTotal(TStream& out, std::int64_t total) {
    const auto t = static_cast<std::uint32_t>(total);
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(t >> 8),
                               static_cast<std::uint8_t>(t >> 16),
                               static_cast<std::uint8_t>(t >> 24)};
    out.WriteExact(b, 4);
}

// Copies exactly n bytes: a spool file that gives fewer has failed.
void copyExactly(TStream& from, TStream& to, std::int64_t n) {
    std::vector<std::uint8_t> chunk(1 << 16);
    while (n > 0) {
        const std::int64_t want =
            std::min<std::int64_t>(n, static_cast<std::int64_t>(chunk.size()));
        from.ReadExact(chunk.data(), want);
        to.WriteExact(chunk.data(), want);
        n -= want;
    }
}

// The stream's total comes first but is known only when the last block is made. A stdout
// that can go back gets a placeholder, the blocks and then the total in its place; any
// other stdout (a pipe) gets the total once the blocks, spooled to an unnamed temporary
// file, are all made, and then the blocks. Either way one block is held at a time.
int frame(std::span<char*> args) {
    noArguments(args);
    TFdStream in(STDIN_FILENO);
    TFdStream out(STDOUT_FILENO);
    if (out.CanGoBack()) {
        const std::int64_t start = out.Position();
        writeTotal(out, 0);
        const std::int64_t total = WriteCompressedBlocks(in, out);
        if (in.Failed()) throw EReadError();
        out.SetPosition(start);
        writeTotal(out, total);
        out.SetPosition(start + 4 + total);
        return 0;
    }
    TSpoolFile spool;
    const std::int64_t total = WriteCompressedBlocks(in, spool.Stream());
    if (in.Failed()) throw EReadError();
    writeTotal(out, total);
    spool.Stream().SetPosition(0);
    copyExactly(spool.Stream(), out, total);
    return 0;
}

int unframe(std::span<char*> args) {
    noArguments(args);
    TFdStream in(STDIN_FILENO);
    TFdStream out(STDOUT_FILENO);
    LoadCompressedStream(in, out);
    std::int64_t rest = 0;
    std::uint8_t chunk[1 << 16];
    for (std::int64_t n; (n = in.Read(chunk, sizeof chunk)) > 0;) rest += n;
    if (in.Failed()) throw EReadError();
    if (rest > 0) throw UsageError{std::to_string(rest) + " bytes follow the compressed stream"};
    return 0;
}

const Command kCodecCommands[] = {
    {"compress", "", "one block (at most 32781 bytes) from stdin to its block form on stdout",
     compressBlock},
    {"decompress", "", "one block form from stdin to the restored bytes on stdout",
     decompressBlock},
    {"frame", "", "any input on stdin to one compressed stream on stdout, a block at a time",
     frame},
    {"unframe", "", "one whole compressed stream on stdin to the restored bytes on stdout",
     unframe},
};
} // namespace

std::span<const Command> CodecCommands() {
    return kCodecCommands;
}

std::string ReadInput(const std::string& path) {
    const bool standard = path.empty() || path == "-";
    const std::string name = standard ? "(stdin)" : path;
    // O_NONBLOCK: opening a FIFO nobody writes to would wait for ever. Reads block again
    // below, and a FIFO without a writer then reads as empty instead of hanging.
    const int fd = standard ? STDIN_FILENO
                            : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        if (fd >= 0 && !standard) ::close(fd);
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
    // Read straight into the string, sized once where the size is known: the input may be
    // a stream of hundreds of megabytes.
    std::string out;
    TFdStream in(fd);
    if (S_ISREG(st.st_mode)) {
        if (static_cast<std::uint64_t>(st.st_size) > kMaxInputBytes) throw tooLong();
        out.resize(static_cast<std::size_t>(st.st_size));
        out.resize(static_cast<std::size_t>(in.Read(out.data(), st.st_size)));
    }
    // Whatever a pipe gives, or a file that grew meanwhile, up to the bound.
    std::vector<char> chunk(1 << 16);
    for (std::int64_t n;
         (n = in.Read(chunk.data(), static_cast<std::int64_t>(chunk.size()))) > 0;) {
        out.append(chunk.data(), static_cast<std::size_t>(n));
        if (out.size() > kMaxInputBytes) throw tooLong();
    }
    if (in.Failed()) throw EReadError();
    return out;
}

void WriteAllStdout(const std::uint8_t* data, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t w = ::write(STDOUT_FILENO, data + done, n - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) throw EWriteError();
        done += static_cast<std::size_t>(w);
    }
}

} // namespace orlenth::tool
