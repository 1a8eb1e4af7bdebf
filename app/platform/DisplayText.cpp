#include "app/platform/DisplayText.h"

#include "framework/Stream.h"

#include <QStringEncoder>

namespace orlenth::platform {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Strict: no overlong forms, no surrogates, nothing above U+10FFFF. GBK text is almost
// never valid under these rules, which is what lets us tell the two apart.
bool IsValidUtf8(std::string_view s, bool& hasNonAscii) {
    hasNonAscii = false;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        hasNonAscii = true;
        std::size_t len = 0;
        unsigned lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (s.size() - i < len) return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            const unsigned min = k == 1 ? lo : 0x80, max = k == 1 ? hi : 0xBF;
            if (c < min || c > max) return false;
        }
        i += len;
    }
    return true;
}

} // namespace

std::string DisplayBytesOf(std::string_view fileBytes) {
    bool nonAscii = false;
    if (!IsValidUtf8(fileBytes, nonAscii) || !nonAscii) return std::string(fileBytes);
    if (fileBytes.starts_with(kBom)) fileBytes.remove_prefix(kBom.size());
    QStringEncoder enc("GB18030");
    // Without the converter the bytes are still better shown as they are than lost.
    if (!enc.isValid()) return std::string(fileBytes);
    const QByteArray out =
        enc.encode(QString::fromUtf8(fileBytes.data(), static_cast<qsizetype>(fileBytes.size())));
    return std::string(out.constData(), static_cast<std::size_t>(out.size()));
}

std::string LoadForDisplay(const std::string& path) {
    const std::vector<std::uint8_t> raw = ReadWholeFile(path);
    return DisplayBytesOf(std::string_view(reinterpret_cast<const char*>(raw.data()), raw.size()));
}

} // namespace orlenth::platform
