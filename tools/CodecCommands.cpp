// compress, decompress, frame, unframe: the codec and the framing on stdin and stdout.

#include "tools/Command.h"

#include "framework/Errors.h"
#include "framework/Stream.h"
#include "library/CompressedStream.h"
#include "library/LZRW.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <unistd.h>

namespace orlenth::tool {

namespace {

void noArguments(std::span<char*> args) {
    if (!args.empty()) throw UsageError{"unexpected argument '" + std::string(args.front()) + "'"};
}

int compressBlock(std::span<char*> args) {
    noArguments(args);
    const auto in = ReadAllStdin();
    if (in.size() > kLZRWMaxInput)
        throw UsageError{"input is " + std::to_string(in.size()) +
                         " bytes; one block holds at most " + std::to_string(kLZRWMaxInput) +
                         " (use 'frame' for longer input)"};
    auto src = std::make_unique<TLZRWBuffer>();
    auto dst = std::make_unique<TLZRWBuffer>();
    if (!in.empty()) std::memcpy(src->data(), in.data(), in.size());
    const std::uint16_t n = WJKLZRWCompress(*src, *dst, static_cast<std::uint16_t>(in.size()));
    WriteAllStdout(dst->data(), n);
    return 0;
}

int decompressBlock(std::span<char*> args) {
    noArguments(args);
    const auto in = ReadAllStdin();
    if (in.empty() || in.size() > kLZRWBufferSize)
        throw UsageError{"input is " + std::to_string(in.size()) +
                         " bytes; a block form has 1 to " + std::to_string(kLZRWBufferSize)};
    auto src = std::make_unique<TLZRWBuffer>();
    auto dst = std::make_unique<TLZRWBuffer>();
    if (!in.empty()) std::memcpy(src->data(), in.data(), in.size());
    const std::uint16_t n = WJKLZRWDecompress(*src, *dst, static_cast<std::uint16_t>(in.size()));
    WriteAllStdout(dst->data(), n);
    return 0;
}

int frame(std::span<char*> args) {
    noArguments(args);
    auto in = ReadAllStdin();
    if (in.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw UsageError{"input is larger than a compressed stream can hold (2 GiB)"};
    const auto n = static_cast<std::int32_t>(in.size());
    TMemoryStream source(std::move(in));
    TMemoryStream out;
    SaveCompressedStream(source, out, n);
    WriteAllStdout(out.Memory(), static_cast<std::size_t>(out.Size()));
    return 0;
}

int unframe(std::span<char*> args) {
    noArguments(args);
    TMemoryStream source(ReadAllStdin());
    TMemoryStream out;
    LoadCompressedStream(source, out);
    if (const std::int64_t rest = source.Remaining(); rest > 0)
        throw UsageError{std::to_string(rest) + " bytes follow the compressed stream"};
    WriteAllStdout(out.Memory(), static_cast<std::size_t>(out.Size()));
    return 0;
}

const Command kCodecCommands[] = {
    {"compress", "", "one block (at most 32781 bytes) from stdin to its block form on stdout",
     compressBlock},
    {"decompress", "", "one block form from stdin to the restored bytes on stdout",
     decompressBlock},
    {"frame", "", "any input on stdin to one compressed stream on stdout", frame},
    {"unframe", "", "one whole compressed stream on stdin to the restored bytes on stdout",
     unframe},
};
} // namespace

std::span<const Command> CodecCommands() {
    return kCodecCommands;
}

std::string ReadInput(const std::string& path) {
    if (path.empty() || path == "-") {
        const auto b = ReadAllStdin();
        return std::string(b.begin(), b.end());
    }
    const auto b = ReadWholeFile(path);
    return std::string(b.begin(), b.end());
}

std::vector<std::uint8_t> ReadAllStdin() {
    std::vector<std::uint8_t> out;
    std::uint8_t chunk[1 << 16];
    for (;;) {
        const ssize_t r = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) throw EReadError();
        if (r == 0) break;
        out.insert(out.end(), chunk, chunk + r);
    }
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
