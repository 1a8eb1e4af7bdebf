#include "framework/text/AdvanceCache.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace orlenth::text {

namespace {
constexpr char32_t kBmpSize = 0x10000;
constexpr char32_t kReplacement = 0xFFFD;
} // namespace

namespace {

std::uint32_t be16(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) << 8 |
           static_cast<unsigned char>(b[at + 1]);
}

// The design advance of every glyph in pixels, from the font's 'hmtx' table (glyphs past
// numberOfHMetrics share the last advance). Empty when the tables are missing or do not
// hold together.
std::vector<float> designAdvances(const QRawFont& raw) {
    const QByteArray head = raw.fontTable("head"), hhea = raw.fontTable("hhea"),
                     hmtx = raw.fontTable("hmtx");
    if (head.size() < 54 || hhea.size() < 36) return {};
    const std::uint32_t unitsPerEm = be16(head, 18), metrics = be16(hhea, 34);
    if (unitsPerEm == 0 || metrics == 0 || hmtx.size() < qsizetype{4} * metrics) return {};
    const double scale = raw.pixelSize() / unitsPerEm;
    std::vector<float> advances(metrics);
    for (std::uint32_t g = 0; g < metrics; ++g)
        advances[g] = static_cast<float>(be16(hmtx, qsizetype{4} * g) * scale);
    return advances;
}

} // namespace

AdvanceCache::AdvanceCache(const QFont& font) : font_(font), metrics_(font), bmp_(kBmpSize, -1.0f) {
    const QRawFont raw = QRawFont::fromFont(font_);
    if (!raw.isValid()) return;
    // All BMP characters but the surrogates, mapped to glyphs in one call: the character
    // map is a table lookup, cheap for the whole plane.
    QString chars;
    chars.reserve(kBmpSize);
    for (char32_t c = 0; c < kBmpSize; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        chars.append(QChar(static_cast<char16_t>(c)));
    }
    const QList<quint32> glyphs = raw.glyphIndexesForString(chars);
    if (glyphs.size() != chars.size()) return;
    // Asking the font engine for the advance of every glyph loads every glyph: over half
    // a second for a CJK face before the first page can show. The design advances of the
    // metrics table cost nothing; they are used when a sample of characters of every kind
    // the reader meets gives exactly the engine's advances, as they are or rounded to whole
    // pixels (hinting). Otherwise each character is measured by the engine on first use.
    const std::vector<float> design = designAdvances(raw);
    enum class Source { Design, RoundedDesign, Engine } source = Source::Engine;
    if (!design.empty()) {
        const QString sample = QString::fromUtf8(
            " !,.09AMWafilmw~\u00B7\u2014\u2018\u201C\u2026\u3000\u3001\u3002\u300A"
            "\u4E00\u4E2D\u56FD\u6587\u9F98\uFF01\uFF0C\uFF1F\uFF21\uFF41");
        QList<quint32> sampleGlyphs = raw.glyphIndexesForString(sample);
        sampleGlyphs.removeAll(0);
        const QList<QPointF> engine =
            raw.advancesForGlyphIndexes(sampleGlyphs, QRawFont::SeparateAdvances);
        bool exact = !sampleGlyphs.isEmpty(), rounded = exact;
        for (qsizetype i = 0; i < sampleGlyphs.size(); ++i) {
            const quint32 g = sampleGlyphs[i];
            const double d = design[std::min<std::size_t>(g, design.size() - 1)];
            exact = exact && std::abs(d - engine[i].x()) < 1.0 / 64;
            rounded = rounded && std::abs(std::round(d) - engine[i].x()) < 1.0 / 64;
        }
        source = exact ? Source::Design : rounded ? Source::RoundedDesign : Source::Engine;
    }
    if (source == Source::Engine) {
        // Kept so that characters can be measured one by one as they come.
        raw_ = raw;
        glyphs_ = glyphs;
    }
    for (qsizetype i = 0; i < chars.size(); ++i) {
        // Glyph 0 is the font's "missing" box; the fallback faces must decide.
        // Control characters get no glyph of their own when drawn either.
        const char16_t c = chars[i].unicode();
        if (glyphs[i] == 0 || c < 0x20 || (c >= 0x7F && c < 0xA0)) continue;
        if (source == Source::Engine) continue;
        const float d = design[std::min<std::size_t>(glyphs[i], design.size() - 1)];
        bmp_[c] = source == Source::Design ? d : std::round(d);
    }
    bulk_ = source != Source::Engine;
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
    // A character of the face itself, when its tables could not be trusted: the engine's
    // advance for its glyph, still far cheaper than laying the character out.
    if (c < kBmpSize && !glyphs_.isEmpty() && !(c >= 0xD800 && c <= 0xDFFF)) {
        const qsizetype i = c < 0xD800 ? c : c - 0x800;
        const quint32 g = glyphs_[i];
        if (g != 0 && c >= 0x20 && !(c >= 0x7F && c < 0xA0)) {
            const QList<QPointF> a =
                raw_.advancesForGlyphIndexes(QList<quint32>{g}, QRawFont::SeparateAdvances);
            if (a.size() == 1) return a[0].x();
        }
    }
    ++slowMeasurements_;
    const char32_t one[1] = {c};
    return metrics_.horizontalAdvance(QString::fromUcs4(one, 1));
}

} // namespace orlenth::text
