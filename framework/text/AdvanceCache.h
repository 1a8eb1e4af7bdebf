#pragma once
// Pixel advances of characters in one font, measured once and kept.

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>

#include <memory>
#include <vector>

namespace orlenth::text {

// Advances come in bulk from the font's own metrics table ('hmtx' through QRawFont), which
// costs a few milliseconds for the whole BMP, whereas QFontMetricsF costs tens of
// microseconds per first-seen character and even the font engine's bulk call loads every
// glyph. The table is trusted only when a sample of characters measures the same through
// the engine (exactly, or rounded to whole pixels where the engine hints); otherwise each
// character of the face is measured through the engine on first use. Characters the face
// has no glyph for fall back, one by one and on first use, to QFontMetricsF, which sees
// the font's fallback faces too.
// Needs a QGuiApplication. Not thread-safe: lookups may fill the cache.
class AdvanceCache {
public:
    explicit AdvanceCache(const QFont& font);

    const QFont& font() const { return font_; }

    // Horizontal advance of the code point in pixels, as QFontMetricsF measures it.
    // Surrogates and values past U+10FFFF are measured as U+FFFD.
    qreal advance(char32_t codePoint);

    // How many code points were measured through QFontMetricsF; lets tests and
    // benchmarks see that the bulk path did the work.
    int slowMeasurements() const { return slowMeasurements_; }
    // Whether the advance of the code point is already at hand (no measuring needed).
    bool known(char32_t codePoint) const { return codePoint < bmp_.size() && bmp_[codePoint] >= 0; }
    // Whether the face's advances came from its metrics table in bulk.
    bool fromTable() const { return bulk_; }

private:
    qreal measureSlowly(char32_t codePoint);

    QFont font_;
    QFontMetricsF metrics_;
    std::vector<float> bmp_; // negative = not yet known
    QHash<char32_t, qreal> supplementary_;
    int slowMeasurements_ = 0;
    bool bulk_ = false;
    // Kept only when the table could not be trusted.
    QRawFont raw_;
    QList<quint32> glyphs_;
};

} // namespace orlenth::text
