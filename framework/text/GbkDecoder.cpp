#include "framework/text/GbkDecoder.h"

#include <QStringDecoder>

namespace orlenth::text {

namespace {

// Qt's decoder is the authority for the mapping; one call per sequence is slow, so it
// is used only to fill tables and for the rare four-byte sequences inside the BMP.
char32_t decodeWithQt(QStringDecoder& decoder, const char* bytes, qsizetype n) {
    decoder.resetState();
    const QString s = decoder(QByteArrayView(bytes, n));
    if (s.size() == 1 && !s[0].isSurrogate()) return s[0].unicode();
    if (s.size() == 2 && s[0].isHighSurrogate() && s[1].isLowSurrogate())
        return QChar::surrogateToUcs4(s[0], s[1]);
    return kReplacementChar;
}

QStringDecoder makeGb18030Decoder() {
    QStringDecoder d("GB18030", QStringConverter::Flag::Stateless);
    return d;
}

} // namespace

const GbkDecoder& GbkDecoder::instance() {
    static const GbkDecoder decoder;
    return decoder;
}

GbkDecoder::GbkDecoder() {
    pairs_.fill(kReplacementChar);
    QStringDecoder decoder = makeGb18030Decoder();
    if (!decoder.isValid()) return;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            pairs_[pairIndex(static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail))] =
                decodeWithQt(decoder, bytes, 2);
        }
    }
}

GbkChar GbkDecoder::fourByte(const char* p, const char* end) const {
    if (end - p < 4) return {kReplacementChar, 1};
    const auto b0 = static_cast<std::uint8_t>(p[0]);
    const auto b1 = static_cast<std::uint8_t>(p[1]);
    const auto b2 = static_cast<std::uint8_t>(p[2]);
    const auto b3 = static_cast<std::uint8_t>(p[3]);
    if (!isGbkLead(b2) || b3 < 0x30 || b3 > 0x39) return {kReplacementChar, 1};
    const std::uint32_t linear =
        ((static_cast<std::uint32_t>(b0 - 0x81) * 10u + (b1 - 0x30u)) * 126u + (b2 - 0x81u)) * 10u +
        (b3 - 0x30u);
    // From 0x90308130 on, four-byte sequences map linearly onto the supplementary planes.
    constexpr std::uint32_t kSupplementaryStart = 189000;
    if (b0 >= 0x90) {
        const std::uint32_t cp = 0x10000 + (linear - kSupplementaryStart);
        if (b0 > 0xE3 || cp > 0x10FFFF) return {kReplacementChar, 4};
        return {cp, 4};
    }
    thread_local QStringDecoder decoder = makeGb18030Decoder();
    return {decodeWithQt(decoder, p, 4), 4};
}

std::u32string GbkDecoder::decode(std::string_view bytes) const {
    std::u32string out;
    out.reserve(bytes.size());
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        const GbkChar c = next(p, end);
        out.push_back(c.codePoint);
        p += c.length;
    }
    return out;
}

} // namespace orlenth::text
