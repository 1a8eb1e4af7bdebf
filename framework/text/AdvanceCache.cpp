#include "framework/text/AdvanceCache.h"

#include <QFontMetricsF>

namespace orlenth::text {

namespace {
constexpr char32_t kBmpSize = 0x10000;
constexpr char32_t kReplacement = 0xFFFD;
} // namespace

AdvanceCache::AdvanceCache(const QFont& font) : font_(font), metrics_(font), bmp_(kBmpSize, -1.0f) {
    const QRawFont raw = QRawFont::fromFont(font_);
    if (!raw.isValid()) return;
    // All BMP characters but the surrogates, in one call for glyphs and one for advances.
    QString chars;
    chars.reserve(kBmpSize);
    for (char32_t c = 0; c < kBmpSize; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        chars.append(QChar(static_cast<char16_t>(c)));
    }
    const QList<quint32> glyphs = raw.glyphIndexesForString(chars);
    if (glyphs.size() != chars.size()) return;
    // Without kerning: neighbours in this string are not neighbours in any text.
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs, QRawFont::SeparateAdvances);
    for (qsizetype i = 0; i < chars.size(); ++i) {
        // Glyph 0 is the font's "missing" box; the fallback faces must decide.
        // Control characters get no glyph of their own when drawn either.
        const char16_t c = chars[i].unicode();
        if (glyphs[i] == 0 || c < 0x20 || (c >= 0x7F && c < 0xA0)) continue;
        bmp_[c] = static_cast<float>(advances[i].x());
    }
}

qreal AdvanceCache::advance(char32_t c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacement;
    if (c < kBmpSize) {
        float& slot = bmp_[c];
        if (slot < 0) slot = static_cast<float>(measureSlowly(c));
        return slot;
    }
    const auto it = supplementary_.constFind(c);
    if (it != supplementary_.constEnd()) return *it;
    const qreal a = measureSlowly(c);
    supplementary_.insert(c, a);
    return a;
}

qreal AdvanceCache::measureSlowly(char32_t c) {
    ++slowMeasurements_;
    const char32_t one[1] = {c};
    return metrics_.horizontalAdvance(QString::fromUcs4(one, 1));
}

} // namespace orlenth::text
