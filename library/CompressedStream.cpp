#include "library/CompressedStream.h"

#include "framework/Errors.h"
#include "library/BlockChecks.h"
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

// Not zeroed: every byte used is written first, and zeroing 64 KB per call would cost
// more than decompressing a short article.
std::unique_ptr<WorkAreas> newWorkAreas() {
    return std::make_unique_for_overwrite<WorkAreas>();
}

// Reads one block of at most kLZRWMaxInput bytes from source and writes its size and block
// form to dest; returns the number of input bytes (0 at the end: no block is written) and
// adds the block's share to total.
std::uint16_t writeBlock(TStream& source, TStream& dest, WorkAreas& work, std::int64_t& total) {
    const auto n = static_cast<std::uint16_t>(source.Read(work.in.data(), kLZRWMaxInput));
    if (n == 0) return 0;
    const std::uint16_t s = WJKLZRWCompress(work.in, work.out, n);
    const std::uint8_t size[4] = {static_cast<std::uint8_t>(s & 0xFF),
                                  static_cast<std::uint8_t>(s >> 8), 0, 0};
    dest.WriteExact(size, 4);
    dest.WriteExact(work.out.data(), s);
    total += s + 4;
    if (total > std::numeric_limits<std::int32_t>::max()) throw EWriteError();
    return n;
}

// The restoring side needs only an output area. It is kept per thread: the library's 245
// item records are read one after another, and a fresh 32 KB each time showed in the
// profile. Nothing that runs while a block is handed on restores another stream.
TLZRWBuffer& restoreArea() {
    thread_local const std::unique_ptr<TLZRWBuffer> area =
        std::make_unique_for_overwrite<TLZRWBuffer>();
    return *area;
}

// Walks the framing of one compressed stream and hands each block form and its size to
// `onBlock`, which returns false to stop early. Blocks of a stream in memory are handed
// where they lie; others are read into a work area first, or, with `inPlaceOnly`, are a
// read error.
template <class OnBlock> void walkBlocks(TStream& source, bool inPlaceOnly, OnBlock&& onBlock) {
    std::unique_ptr<TLZRWBuffer> in;
    std::int64_t total = readField(source);
    if (total < 0) throw EReadError();
    while (total > 0) {
        if (total < 5) throw EReadError();
        const std::int32_t s = readField(source);
        if (s < 1 || static_cast<std::size_t>(s) > kLZRWBufferSize || s + 4 > total)
            throw EReadError();
        const std::uint8_t* block = source.ReadInPlace(s);
        if (!block) {
            if (inPlaceOnly) throw EReadError();
            if (!in) in = std::make_unique_for_overwrite<TLZRWBuffer>();
            source.ReadExact(in->data(), s);
            block = in->data();
        }
        if (!onBlock(block, static_cast<std::size_t>(s))) return;
        total -= s + 4;
    }
}

// Reads one compressed stream and hands each restored block to `take`, which returns
// false to stop early.
template <class Take> void readBlocks(TStream& source, Take&& take) {
    TLZRWBuffer& out = restoreArea();
    walkBlocks(source, false, [&](const std::uint8_t* block, std::size_t size) {
        const std::ptrdiff_t m = LZRWDecompressBlock(block, size, out.data(), out.size());
        if (m < 0) throw EReadError();
        return take(out.data(), static_cast<std::uint16_t>(m));
    });
}

} // namespace

void SaveCompressedStream(TStream& source, TStream& dest, std::int32_t count) {
    const std::int64_t p0 = dest.Position();
    dest.SetPosition(p0 + 4);
    std::int64_t total = 0;
    auto work = newWorkAreas();
    while (count > 0) {
        const std::uint16_t n = writeBlock(source, dest, *work, total);
        if (n == 0) break; // the source ran dry before count: no empty blocks without end
        count -= n;
    }
    const std::int64_t p1 = dest.Position();
    dest.SetPosition(p0);
    stWriteInteger(dest, static_cast<std::int32_t>(total));
    dest.SetPosition(p1);
}

std::int64_t WriteCompressedBlocks(TStream& source, TStream& dest) {
    std::int64_t total = 0;
    auto work = newWorkAreas();
    while (writeBlock(source, dest, *work, total) != 0) {
    }
    return total;
}

void LoadCompressedStream(TStream& source, TStream& dest) {
    readBlocks(source, [&](const std::uint8_t* data, std::uint16_t n) {
        dest.WriteExact(data, n);
        return true;
    });
}

void LoadCompressedStream(TStream& source, std::string& dest) {
    readBlocks(source, [&](const std::uint8_t* data, std::uint16_t n) {
        dest.append(reinterpret_cast<const char*>(data), n);
        return true;
    });
}

void CheckCompressedStream(TStream& source) {
    TBlockChecks* const later = TBlockChecks::Current();
    TLZRWBuffer& out = restoreArea();
    walkBlocks(source, true, [&](const std::uint8_t* block, std::size_t size) {
        if (later)
            later->Add(block, size);
        else if (LZRWDecompressBlock(block, size, out.data(), out.size()) < 0)
            throw EReadError();
        return true;
    });
}

void CountCompressedStream(TStream& source, std::int64_t& restored, std::int64_t limit) {
    if (restored > limit) return;
    readBlocks(source, [&](const std::uint8_t*, std::uint16_t n) {
        restored += n;
        return restored <= limit;
    });
}

} // namespace orlenth
