// compress, decompress, frame, unframe: the codec and the framing on stdin and stdout.

#include "tools/Command.h"

#include "framework/Errors.h"
#include "framework/Stream.h"
#include "library/CompressedStream.h"
#include "library/LZRW.h"
#include "tools/FdStream.h"
#include "tools/IoFailure.h"
#include "tools/StandardStreams.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
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
    if (in.Failed()) throw ReadFailure("standard input", in.Error());
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

// The stream's total is a signed 32-bit count of the bytes after it (docs/framing.md).
// Blocks that would pass it are refused before they are written, and the refusal says so.
class TTotalBound final : public TStream {
public:
    explicit TTotalBound(TStream& to) : to_(to) {}
    std::int64_t Read(void*, std::int64_t) override { return 0; }
    std::int64_t Write(const void* buffer, std::int64_t n) override {
        if (written_ + n > std::numeric_limits<std::int32_t>::max()) {
            over_ = true;
            return 0;
        }
        const std::int64_t w = to_.Write(buffer, n);
        written_ += w;
        return w;
    }
    std::int64_t Seek(std::int64_t offset, Origin origin) override {
        return to_.Seek(offset, origin);
    }
    bool Over() const { return over_; }

private:
    TStream& to_;
    std::int64_t written_ = 0;
    bool over_ = false;
};

UsageError tooLongToFrame() {
    return UsageError{"the input is too long for one compressed stream: its blocks would pass " +
                      std::to_string(std::numeric_limits<std::int32_t>::max()) +
                      " bytes, the most the stream's 32-bit total can count"};
}

// Writes the blocks of stdin to `to`, through the bound, and returns their total. Every
// way it can fail is named: the input, the bound, the place written to.
std::int64_t frameBlocks(TFdStream& in, TFdStream& to, const char* toName) {
    TTotalBound bound(to);
    std::int64_t total = 0;
    try {
        total = WriteCompressedBlocks(in, bound);
    } catch (const EWriteError&) {
        if (bound.Over()) throw tooLongToFrame();
        if (to.Failed()) throw WriteFailure(toName, to.Error());
        throw;
    }
    if (in.Failed()) throw ReadFailure("standard input", in.Error());
    return total;
}

// The stream's total comes first but is known only when the last block is made. A stdout
// that can go back gets a placeholder, the blocks and then the total in its place (and, on
// a failure, a file there is cut back to where it began); any other stdout (a pipe) gets
// the total once the blocks, spooled to an unnamed temporary file, are all made, and then
// the blocks. Either way one block is held at a time.
int frame(std::span<char*> args) {
    noArguments(args);
    TFdStream in(STDIN_FILENO);
    TFdStream out(STDOUT_FILENO);
    const auto written = [&](auto&& step) {
        try {
            step();
        } catch (const EWriteError&) {
            if (out.Failed()) throw WriteFailure("standard output", out.Error());
            throw;
        }
    };
    if (out.CanGoBack()) {
        const std::int64_t start = out.Position();
        try {
            written([&] { writeTotal(out, 0); });
            const std::int64_t total = frameBlocks(in, out, "standard output");
            written([&] {
                out.SetPosition(start);
                writeTotal(out, total);
            });
            out.SetPosition(start + 4 + total);
        } catch (...) {
            struct stat st {};
            if (::fstat(STDOUT_FILENO, &st) == 0 && S_ISREG(st.st_mode) &&
                ::ftruncate(STDOUT_FILENO, start) == 0)
                out.SetPosition(start);
            throw;
        }
        return 0;
    }
    TSpoolFile spool;
    const std::int64_t total = frameBlocks(in, spool.Stream(), "the temporary file");
    written([&] { writeTotal(out, total); });
    spool.Stream().SetPosition(0);
    written([&] { copyExactly(spool.Stream(), out, total); });
    return 0;
}

int unframe(std::span<char*> args) {
    noArguments(args);
    TFdStream in(STDIN_FILENO);
    TFdStream out(STDOUT_FILENO);
    try {
        LoadCompressedStream(in, out);
    } catch (const EStreamError&) {
        if (out.Failed()) throw WriteFailure("standard output", out.Error());
        if (in.Failed()) throw ReadFailure("standard input", in.Error());
        throw;
    }
    std::int64_t rest = 0;
    std::uint8_t chunk[1 << 16];
    for (std::int64_t n; (n = in.Read(chunk, sizeof chunk)) > 0;) rest += n;
    if (in.Failed()) throw ReadFailure("standard input", in.Error());
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

} // namespace orlenth::tool
