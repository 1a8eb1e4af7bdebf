#include "library/CompressedStream.h"

#include "framework/Errors.h"
#include "library/LZRW.h"
#include "library/StreamFields.h"

#include <limits>
#include <memory>

namespace orlenth {

namespace {

// The two work areas of one call, released on every way out.
struct WorkAreas {
    TLZRWBuffer in;
    TLZRWBuffer out;
};

std::int32_t readField(TStream& source) {
    std::uint8_t b[4];
    if (source.Read(b, 4) != 4) throw EReadError();
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
        static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

} // namespace

void SaveCompressedStream(TStream& source, TStream& dest, std::int32_t count) {
    const std::int64_t p0 = dest.Position();
    dest.SetPosition(p0 + 4);
    std::int64_t total = 0;
    // Not zeroed: every byte used is written first, and zeroing 64 KB per call would cost
    // more than decompressing a short article.
    auto work = std::make_unique_for_overwrite<WorkAreas>();
    while (count > 0) {
        const auto n = static_cast<std::uint16_t>(source.Read(work->in.data(), kLZRWMaxInput));
        if (n == 0) break; // the source ran dry before count: no empty blocks without end
        const std::uint16_t s = WJKLZRWCompress(work->in, work->out, n);
        stWriteInteger(dest, s);
        dest.WriteExact(work->out.data(), s);
        total += s + 4;
        if (total > std::numeric_limits<std::int32_t>::max()) throw EWriteError();
        count -= n;
    }
    const std::int64_t p1 = dest.Position();
    dest.SetPosition(p0);
    stWriteInteger(dest, static_cast<std::int32_t>(total));
    dest.SetPosition(p1);
}

void LoadCompressedStream(TStream& source, TStream& dest) {
    auto work = std::make_unique_for_overwrite<WorkAreas>();
    std::int64_t total = readField(source);
    if (total < 0) throw EReadError();
    while (total > 0) {
        if (total < 5) throw EReadError();
        const std::int32_t s = readField(source);
        if (s < 1 || static_cast<std::size_t>(s) > kLZRWBufferSize || s + 4 > total)
            throw EReadError();
        source.ReadExact(work->in.data(), s);
        const std::uint16_t m =
            WJKLZRWDecompress(work->in, work->out, static_cast<std::uint16_t>(s));
        dest.WriteExact(work->out.data(), m);
        total -= s + 4;
    }
}

} // namespace orlenth
