#include "reference_codec.h"

namespace reference {

std::vector<std::uint8_t> compress(const std::vector<std::uint8_t>& in) {
    const std::uint16_t n = static_cast<std::uint16_t>(in.size());
    std::vector<std::uint8_t> out(static_cast<std::size_t>(n) + 16, 0);
    std::vector<std::int16_t> table(4096, -1);
    auto at = [&](std::uint32_t i) -> std::uint32_t { return i < n ? in[i] : 0u; };
    std::uint16_t x = 0, y = 3, z = 1, g = 0, c = 0;
    out[0] = 0x40;
    while (x < n && y <= n) {
        if (g > 15) {
            out[z] = static_cast<std::uint8_t>(c >> 8);
            out[z + 1] = static_cast<std::uint8_t>(c & 0xFF);
            z = y;
            g = 0;
            y = static_cast<std::uint16_t>(y + 2);
        }
        std::uint16_t s = 1;
        while (x + s < n && s < 4095 && in[x + s] == in[x]) ++s;
        if (s >= 16) {
            out[y] = 0;
            out[y + 1] = static_cast<std::uint8_t>((s - 16) >> 8);
            out[y + 2] = static_cast<std::uint8_t>((s - 16) & 0xFF);
            out[y + 3] = in[x];
            y = static_cast<std::uint16_t>(y + 4);
            x = static_cast<std::uint16_t>(x + s);
            c = static_cast<std::uint16_t>(c * 2 + 1);
        } else {
            const std::uint32_t v = (((at(x) << 4) ^ at(x + 1u)) << 4) ^ at(x + 2u);
            const std::uint32_t h = ((v * 40543u) >> 4) & 0x0FFF;
            const std::int32_t e = table[h];
            std::uint16_t len = 0, p = 0;
            if (e != -1 && static_cast<std::int32_t>(x) - e <= 4095) {
                std::uint16_t l = 0;
                p = static_cast<std::uint16_t>(e);
                while (l < 18 && x + l < n && in[x + l] == in[p + l]) ++l;
                if (l >= 3) len = l;
            }
            table[h] = static_cast<std::int16_t>(x);
            if (len) {
                const std::uint32_t w = static_cast<std::uint32_t>(x - p) * 16 + (len - 3u);
                out[y] = static_cast<std::uint8_t>(w >> 8);
                out[y + 1] = static_cast<std::uint8_t>(w & 0xFF);
                y = static_cast<std::uint16_t>(y + 2);
                x = static_cast<std::uint16_t>(x + len);
                c = static_cast<std::uint16_t>(c * 2 + 1);
            } else {
                out[y++] = in[x++];
                c = static_cast<std::uint16_t>(c * 2);
            }
        }
        ++g;
    }
    c = static_cast<std::uint16_t>(c << (16 - g));
    out[z] = static_cast<std::uint8_t>(c >> 8);
    out[z + 1] = static_cast<std::uint8_t>(c & 0xFF);
    if (y > n) {
        std::vector<std::uint8_t> stored{0x80};
        stored.insert(stored.end(), in.begin(), in.end());
        return stored;
    }
    out.resize(y);
    return out;
}

std::vector<std::uint8_t> decompress(const std::vector<std::uint8_t>& src) {
    std::vector<std::uint8_t> dst;
    if (src[0] == 0x80) return {src.begin() + 1, src.end()};
    std::size_t x = 3;
    std::uint16_t c = static_cast<std::uint16_t>(src[1] << 8 | src[2]);
    int b = 16;
    while (x < src.size()) {
        if (b == 0) {
            c = static_cast<std::uint16_t>(src[x] << 8 | src[x + 1]);
            x += 2;
            b = 16;
        }
        if (!(c & 0x8000)) {
            dst.push_back(src[x++]);
        } else {
            const std::size_t f = static_cast<std::size_t>(src[x] << 4 | src[x + 1] >> 4);
            if (f == 0) {
                const std::size_t count =
                    static_cast<std::size_t>(src[x + 1] << 8 | src[x + 2]) + 16;
                dst.insert(dst.end(), count, src[x + 3]);
                x += 4;
            } else {
                const std::size_t len = (src[x + 1] & 0x0Fu) + 3;
                for (std::size_t k = 0; k < len; ++k) dst.push_back(dst[dst.size() - f]);
                x += 2;
            }
        }
        c = static_cast<std::uint16_t>(c << 1);
        --b;
    }
    return dst;
}

std::optional<std::vector<std::uint8_t>> decompressChecked(const std::uint8_t* src,
                                                           std::size_t size) {
    constexpr std::size_t kRoom = 32782;
    if (size < 1 || size > kRoom) return std::nullopt;
    if (src[0] == 0x80) return std::vector<std::uint8_t>(src + 1, src + size);
    if (size < 3) return std::nullopt;
    std::vector<std::uint8_t> dst;
    std::size_t x = 3;
    std::uint16_t c = static_cast<std::uint16_t>(src[1] << 8 | src[2]);
    int b = 16;
    while (x < size) {
        if (b == 0) {
            if (size - x < 2) return std::nullopt;
            c = static_cast<std::uint16_t>(src[x] << 8 | src[x + 1]);
            x += 2;
            b = 16;
            // A control word that ends the block adds nothing.
            if (x == size) break;
        }
        if (!(c & 0x8000)) {
            if (dst.size() + 1 > kRoom) return std::nullopt;
            dst.push_back(src[x++]);
        } else {
            if (size - x < 2) return std::nullopt;
            const std::size_t f = static_cast<std::size_t>(src[x] << 4 | src[x + 1] >> 4);
            if (f == 0) {
                if (size - x < 4) return std::nullopt;
                const std::size_t count =
                    static_cast<std::size_t>(src[x + 1] << 8 | src[x + 2]) + 16;
                if (dst.size() + count > kRoom) return std::nullopt;
                dst.insert(dst.end(), count, src[x + 3]);
                x += 4;
            } else {
                const std::size_t len = (src[x + 1] & 0x0Fu) + 3;
                if (f > dst.size() || dst.size() + len > kRoom) return std::nullopt;
                for (std::size_t k = 0; k < len; ++k) dst.push_back(dst[dst.size() - f]);
                x += 2;
            }
        }
        c = static_cast<std::uint16_t>(c << 1);
        --b;
    }
    return dst;
}

} // namespace reference
