#include "framework/text/GbkMetrics.h"

#include <cmath>

namespace orlenth::text {

GbkMetrics::GbkMetrics(AdvanceCache& cache) : cache_(cache), pairs_(65536, kNotAPair) {
    for (unsigned b = 0; b < 256; ++b)
        singles_[b] = of(b < 0x80 ? static_cast<char32_t>(b) : kReplacementChar);
    const GbkDecoder& decoder = GbkDecoder::instance();
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail)
            if (trail != 0x7F) {
                const auto l = static_cast<std::uint8_t>(lead);
                const auto t = static_cast<std::uint8_t>(trail);
                // A character the cache would have to measure one by one is left to the
                // engine's slow path, which decodes it and asks on first use: measuring
                // them all here would cost a start-up tens of milliseconds.
                const char32_t c = decoder.pair(l, t);
                if (cache_.known(c)) pairs_[GbkDecoder::pairIndex(l, t)] = of(c);
            }
}

GbkMetrics::Entry GbkMetrics::of(char32_t codePoint) const {
    const double subpixels = std::ceil(cache_.advance(codePoint) * kSubpixels);
    const auto units = static_cast<Entry>(subpixels < 0 ? 0 : subpixels);
    return units << 3 | static_cast<Entry>(breakClassOf(codePoint));
}

} // namespace orlenth::text
