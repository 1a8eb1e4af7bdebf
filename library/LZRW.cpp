// LZRW1-KH, see docs/codec.md. Both directions are hot paths of start-up: the whole
// library is decompressed while the main window is built.

#include "library/LZRW.h"

#include "framework/Errors.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

namespace orlenth {

namespace {

constexpr std::size_t kHashSize = 4096;
constexpr std::uint32_t kMaxRun = 4095;
constexpr std::uint32_t kMinRun = 16;
constexpr std::uint32_t kMaxMatch = 18;
constexpr std::uint32_t kMaxOffset = 4095;
constexpr std::uint8_t kCompressedHeader = 0x40;
constexpr std::uint8_t kStoredHeader = 0x80;

// An empty table entry: no position's distance to it passes the test.
constexpr std::int32_t kEmptyEntry = -65536;

// A position as the format's signed 16-bit table keeps it.
inline std::int32_t tableEntry(std::uint32_t x) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(x));
}

inline std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

inline std::uint32_t load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline std::uint32_t hash3(const std::uint8_t* p) {
    const std::uint32_t v = ((static_cast<std::uint32_t>(p[0]) << 4 ^ p[1]) << 4) ^ p[2];
    return ((v * 40543u) >> 4) & 0x0FFFu;
}

// Length of the run of in[x] starting at x, at most kMaxRun, never reading at or past n.
inline std::uint32_t runLength(const std::uint8_t* in, std::uint32_t x, std::uint32_t n) {
    const std::uint8_t b = in[x];
    std::uint32_t s = 1;
    if (x + 1 >= n || in[x + 1] != b) return 1;
    const std::uint32_t limit = (n - x < kMaxRun) ? n - x : kMaxRun;
    const std::uint64_t pattern = 0x0101010101010101ull * b;
    while (s + 8 <= limit) {
        const std::uint64_t diff = load64(in + x + s) ^ pattern;
        if (diff) return s + static_cast<std::uint32_t>(std::countr_zero(diff) >> 3);
        s += 8;
    }
    while (s < limit && in[x + s] == b) ++s;
    return s;
}

// Common prefix of in[p..] and in[x..], at most kMaxMatch and never reaching n.
inline std::uint32_t matchLength(const std::uint8_t* in, std::uint32_t p, std::uint32_t x,
                                 std::uint32_t n) {
    if (x + kMaxMatch <= n) {
        std::uint64_t diff = load64(in + p) ^ load64(in + x);
        if (diff) return static_cast<std::uint32_t>(std::countr_zero(diff) >> 3);
        diff = load64(in + p + 8) ^ load64(in + x + 8);
        if (diff) return 8 + static_cast<std::uint32_t>(std::countr_zero(diff) >> 3);
        if (in[p + 16] != in[x + 16]) return 16;
        return in[p + 17] == in[x + 17] ? 18 : 17;
    }
    std::uint32_t l = 0;
    while (l < kMaxMatch && x + l < n && in[x + l] == in[p + l]) ++l;
    return l;
}

} // namespace

std::size_t LZRWCompressBlock(const std::uint8_t* in, std::size_t size, std::uint8_t* out) {
    const auto n = static_cast<std::uint32_t>(size);
    // The format's table holds signed 16-bit positions with -1 for empty: a position of
    // 32768 or more reads back negative and never passes the distance test, and the stored
    // library depends on that. We keep the same values sign-extended to 32 bits, with an
    // empty entry far enough below zero that the distance test alone rejects it.
    std::int32_t table[kHashSize];
    std::fill(std::begin(table), std::end(table), kEmptyEntry);

    std::uint32_t x = 0, y = 3, z = 1, g = 0, c = 0;
    bool stored = n < 3;

    // Fast loop: far enough from both ends that a match may be measured 8 bytes at a time
    // and any item plus a control word fits below n. The literal-or-copy choice is made
    // without a branch: text gives about four literals to one copy, in no pattern a
    // predictor could learn.
    while (!stored && x + kMaxMatch <= n && y + 6 <= n) {
        if (g > 15) {
            out[z] = static_cast<std::uint8_t>(c >> 8);
            out[z + 1] = static_cast<std::uint8_t>(c);
            z = y;
            g = 0;
            y += 2;
        }
        const std::uint8_t b0 = in[x];
        if (in[x + 1] == b0) [[unlikely]] {
            const std::uint32_t s = runLength(in, x, n);
            if (s >= kMinRun) {
                const std::uint32_t r = s - kMinRun;
                out[y] = 0;
                out[y + 1] = static_cast<std::uint8_t>(r >> 8);
                out[y + 2] = static_cast<std::uint8_t>(r);
                out[y + 3] = b0;
                y += 4;
                x += s;
                c = (c << 1) | 1;
                ++g;
                continue;
            }
        }
        const std::uint32_t w = load32(in + x);
        const std::uint32_t v3 =
            (((w & 0xFFu) << 4 ^ ((w >> 8) & 0xFFu)) << 4) ^ ((w >> 16) & 0xFFu);
        const std::uint32_t h = ((v3 * 40543u) >> 4) & 0x0FFFu;
        const std::int32_t e = table[h];
        table[h] = tableEntry(x);
        const std::uint32_t dist = x - static_cast<std::uint32_t>(e);
        // One test decides literal or copy, so that the usual case, a literal, is one
        // well-predicted branch that lets the next position start at once.
        // Arithmetic, not a comparison, so that the compiler cannot turn it back into a
        // branch: distances are below 2^31, and the top bit of (4095 - dist) is set
        // exactly when the candidate is too far or empty.
        const std::uint32_t far = (kMaxOffset - dist) >> 31;
        const std::uint32_t p = x + ((static_cast<std::uint32_t>(e) - x) & (far - 1));
        const std::uint32_t bad = ((load32(in + p) ^ w) & 0xFFFFFFu) | far;
        if (bad == 0) {
            const std::uint32_t l = matchLength(in, p, x, n);
            const std::uint32_t v = (dist << 4) + l - 3;
            out[y] = static_cast<std::uint8_t>(v >> 8);
            out[y + 1] = static_cast<std::uint8_t>(v);
            y += 2;
            x += l;
            c = (c << 1) | 1;
        } else {
            out[y++] = b0;
            ++x;
            c <<= 1;
        }
        ++g;
    }

    // Careful loop for the last bytes of input or output: every write is checked.
    while (!stored && x < n) {
        if (g > 15) {
            out[z] = static_cast<std::uint8_t>(c >> 8);
            out[z + 1] = static_cast<std::uint8_t>(c);
            z = y;
            g = 0;
            y += 2;
            if (y > n) {
                stored = true;
                break;
            }
        }
        const std::uint32_t s = runLength(in, x, n);
        if (s >= kMinRun) {
            if (y + 4 > n) {
                stored = true;
                break;
            }
            const std::uint32_t r = s - kMinRun;
            out[y] = 0;
            out[y + 1] = static_cast<std::uint8_t>(r >> 8);
            out[y + 2] = static_cast<std::uint8_t>(r);
            out[y + 3] = in[x];
            y += 4;
            x += s;
            c = (c << 1) | 1;
        } else {
            std::uint32_t len = 0, offset = 0;
            // At the last two positions fewer than three bytes remain: no match is possible
            // and the hash would read past the input.
            if (x + 2 < n) {
                const std::uint32_t h = hash3(in + x);
                const std::int32_t e = table[h];
                table[h] = tableEntry(x);
                if (static_cast<std::int32_t>(x) - e <= static_cast<std::int32_t>(kMaxOffset)) {
                    const std::uint32_t l = matchLength(in, static_cast<std::uint32_t>(e), x, n);
                    if (l >= 3) {
                        len = l;
                        offset = x - static_cast<std::uint32_t>(e);
                    }
                }
            }
            if (len) {
                if (y + 2 > n) {
                    stored = true;
                    break;
                }
                const std::uint32_t v = (offset << 4) + (len - 3);
                out[y] = static_cast<std::uint8_t>(v >> 8);
                out[y + 1] = static_cast<std::uint8_t>(v);
                y += 2;
                x += len;
                c = (c << 1) | 1;
            } else {
                if (y + 1 > n) {
                    stored = true;
                    break;
                }
                out[y++] = in[x++];
                c <<= 1;
            }
        }
        ++g;
    }
    if (stored) {
        out[0] = kStoredHeader;
        if (n) std::memmove(out + 1, in, n);
        return n + 1;
    }
    c = (c << (16 - g)) & 0xFFFF;
    out[0] = kCompressedHeader;
    out[z] = static_cast<std::uint8_t>(c >> 8);
    out[z + 1] = static_cast<std::uint8_t>(c);
    return y;
}

namespace {

// The item bits of the control word at p in item order, the first item in bit 0: the word
// is stored high byte first with the first item in its top bit.
struct ReversedBytes {
    std::uint8_t r[256];
    constexpr ReversedBytes() : r{} {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned v = 0;
            for (unsigned j = 0; j < 8; ++j)
                if (i & (1u << j)) v |= 0x80u >> j;
            r[i] = static_cast<std::uint8_t>(v);
        }
    }
};
constexpr ReversedBytes kReversed;

inline std::uint32_t itemBits(const std::uint8_t* p) {
    return kReversed.r[p[0]] | (static_cast<std::uint32_t>(kReversed.r[p[1]]) << 8);
}

inline void move8(std::uint8_t* d, const std::uint8_t* s) {
    std::uint64_t v;
    std::memcpy(&v, s, 8);
    std::memcpy(d, &v, 8);
}

inline void move16(std::uint8_t* d, const std::uint8_t* s) {
    std::uint8_t v[16];
    std::memcpy(v, s, 16);
    std::memcpy(d, v, 16);
}

// Restores the compressed form.
//
// Both loops keep the item bits of the current group in item order (bit i = item i, see
// itemBits) and p, the number of items of the group already done; x is where item p begins.
// The fast loop clears the bit of each copy or run it has done, so finding the next one is
// one count of trailing zeros and marking it done is c &= c - 1: a short chain from one
// item to the next, where shifting the word by the number of literals made each step wait
// on the count before it.
std::ptrdiff_t decompressItems(const std::uint8_t* src, std::size_t size, std::uint8_t* dst,
                               std::size_t cap) {
    std::size_t x = 3, y = 0;
    std::uint32_t p = 0;
    std::uint32_t c = itemBits(src + 1);

    // Fast path while the source and destination have ample room, so that literal runs and
    // copies may move a few bytes more than they need. One step reads at most the rest of a
    // group's literals, the next control word, 16 more literals and a 4-byte item (x + 37),
    // and writes up to 16 + 16 literal bytes and then 24 of a copy (y + 55); a run checks
    // its own length.
    if (size >= 3 + 96) {
        c |= 1u << 16; // stop bit: the group ends where the count of trailing zeros reaches 16
        while (x + 96 <= size && y + 56 <= cap) {
            // Never zero thanks to the stop bit; the builtin spares the test for zero that
            // std::countr_zero adds, a branch of its own in the hottest place.
            auto t = static_cast<std::uint32_t>(__builtin_ctz(c));
            move16(dst + y, src + x);
            if (t == 16) {
                // The rest of the group is literals; the next control word follows them.
                // Going on with the next group at once, rather than through the loop test,
                // is measurably faster: a group ends every four steps or so.
                const std::uint32_t m = 16 - p;
                x += m;
                y += m;
                c = itemBits(src + x) | (1u << 16);
                x += 2;
                p = 0;
                t = static_cast<std::uint32_t>(__builtin_ctz(c));
                move16(dst + y, src + x);
                if (t == 16) continue;
            }
            const std::uint32_t k = t - p; // literals before the item
            x += k;
            y += k;
            const std::uint32_t f = (static_cast<std::uint32_t>(src[x]) << 4) | (src[x + 1] >> 4);
            if (f == 0) [[unlikely]] {
                const std::size_t count =
                    ((static_cast<std::size_t>(src[x + 1]) << 8) | src[x + 2]) + 16;
                if (y + count > cap) return -1;
                std::memset(dst + y, src[x + 3], count);
                x += 4;
                y += count;
            } else {
                const std::size_t len = (src[x + 1] & 0x0Fu) + 3;
                if (f > y) return -1;
                std::uint8_t* d = dst + y;
                const std::uint8_t* s = d - f;
                if (f >= 8) [[likely]] {
                    // Each 8-byte move reads only bytes already final: the source lies at
                    // least 8 bytes behind what it writes.
                    move8(d, s);
                    move8(d + 8, s + 8);
                    move8(d + 16, s + 16);
                } else {
                    for (std::size_t i = 0; i < len; ++i) d[i] = s[i];
                }
                x += 2;
                y += len;
            }
            c &= c - 1;
            p = t + 1;
        }
        c &= 0xFFFFu;
    }

    // Careful path: one item at a time with every bound checked.
    for (;;) {
        if (x >= size) return static_cast<std::ptrdiff_t>(y);
        if (p == 16) {
            if (x + 2 > size) return -1;
            c = itemBits(src + x);
            x += 2;
            p = 0;
            // A control word with no item after it: the compressor never writes one, but
            // it restores nothing and harms nothing.
            if (x >= size) return static_cast<std::ptrdiff_t>(y);
        }
        if (!((c >> p) & 1u)) {
            if (y >= cap) return -1;
            dst[y++] = src[x++];
        } else {
            if (x + 2 > size) return -1;
            const std::uint32_t f = (static_cast<std::uint32_t>(src[x]) << 4) | (src[x + 1] >> 4);
            if (f == 0) {
                if (x + 4 > size) return -1;
                const std::size_t count =
                    ((static_cast<std::size_t>(src[x + 1]) << 8) | src[x + 2]) + 16;
                if (y + count > cap) return -1;
                std::memset(dst + y, src[x + 3], count);
                x += 4;
                y += count;
            } else {
                const std::size_t len = (src[x + 1] & 0x0Fu) + 3;
                if (f > y || y + len > cap) return -1;
                for (std::size_t i = 0; i < len; ++i) dst[y + i] = dst[y - f + i];
                x += 2;
                y += len;
            }
        }
        ++p;
    }
}

} // namespace

std::ptrdiff_t LZRWDecompressBlock(const std::uint8_t* src, std::size_t size, std::uint8_t* dst,
                                   std::size_t cap) {
    if (size == 0 || size > kLZRWBufferSize) return -1;
    if (src[0] == kStoredHeader) {
        if (size - 1 > cap) return -1;
        if (size > 1) std::memcpy(dst, src + 1, size - 1);
        return static_cast<std::ptrdiff_t>(size - 1);
    }
    if (size < 3) return -1;
    return decompressItems(src, size, dst, cap);
}

std::uint16_t WJKLZRWCompress(const TLZRWBuffer& source, TLZRWBuffer& destination,
                              std::uint16_t size) {
    if (size > kLZRWMaxInput) throw EInvalidPointer(formatMessage(Msg::LZRWError));
    return static_cast<std::uint16_t>(LZRWCompressBlock(source.data(), size, destination.data()));
}

std::uint16_t WJKLZRWDecompress(const TLZRWBuffer& source, TLZRWBuffer& destination,
                                std::uint16_t size) {
    const std::ptrdiff_t n =
        LZRWDecompressBlock(source.data(), size, destination.data(), destination.size());
    if (n < 0) throw EReadError();
    return static_cast<std::uint16_t>(n);
}

} // namespace orlenth
