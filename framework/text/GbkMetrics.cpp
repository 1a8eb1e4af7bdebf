#include "framework/text/GbkMetrics.h"

#include "framework/text/VerticalForms.h"

#include <QFontInfo>
#include <QRawFont>

#include <cmath>

namespace orlenth::text {

GbkMetrics::GbkMetrics(AdvanceCache& cache, Flow flow)
    : cache_(cache), flow_(flow), pairs_(65536, kNotAPair) {
    em_ = cache_.advance(U'\u4E2D');
    if (!(em_ > 0)) em_ = QFontInfo(cache_.font()).pixelSize();
    // The face itself, not its fallbacks: a form borrowed from another face may sit
    // anywhere in its cell, whereas the horizontal mark drawn our way sits where we put it.
    // Rows never ask, and their start-up stays as it was.
    const QRawFont raw = flow_ == Flow::Columns ? QRawFont::fromFont(cache_.font()) : QRawFont();
    if (raw.isValid())
        for (char32_t c = kFormsFrom; c < kFormsFrom + 64; ++c)
            if (raw.supportsCharacter(c)) presentations_ |= std::uint64_t{1} << (c - kFormsFrom);
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
    double px = cache_.advance(codePoint);
    if (flow_ == Flow::Columns) {
        const char32_t form = VerticalFormOf(codePoint).presentation;
        px = VerticalAdvance(codePoint, px, em_, form != 0 && hasPresentation(form));
    }
    const double subpixels = std::ceil(px * kSubpixels);
    const auto units = static_cast<Entry>(subpixels < 0 ? 0 : subpixels);
    return units << 3 | static_cast<Entry>(breakClassOf(codePoint));
}

} // namespace orlenth::text
