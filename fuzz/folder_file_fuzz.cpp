// A folder file's bytes on their way to the wrap engine. Whatever the bytes, the result is
// GB18030 that decodes without error when the file was taken for anything but GBK, and
// the bytes themselves when it was not; text that is valid in the encoding it was taken
// for reads exactly as before; bytes with no mark and no valid UTF-8 sequence anywhere are
// never taken for UTF-8; valid GBK without NULs is never taken for Big5 or UTF-16. And the
// loader, which reads a file in pieces, must come to the same verdict and the same bytes
// as a conversion in one go wherever the pieces end: the first byte sets their size, the
// rest is the file.

#include "FuzzTarget.h"

#include "app/platform/DisplayText.h"
#include "app/platform/TextDetection.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <optional>
#include <string_view>

namespace {

using orlenth::platform::DetectEncoding;
using orlenth::platform::DisplayBytesOf;
using orlenth::platform::DisplayConverter;
using orlenth::platform::EncodingSniffer;
using orlenth::platform::FileEncoding;
using orlenth::platform::IcuNameOf;

// Whether a valid multi-byte UTF-8 sequence starts at any offset of s: a superset of the
// sequences a scan from the front finds.
bool AnyValidUtf8Sequence(std::string_view s) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char b = at(i);
        std::size_t length = 0;
        unsigned lo = 0x80, hi = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            continue;
        }
        if (s.size() - i < length) continue;
        bool valid = at(i + 1) >= lo && at(i + 1) <= hi;
        for (std::size_t k = 2; k < length; ++k)
            valid = valid && at(i + k) >= 0x80 && at(i + k) <= 0xBF;
        if (valid) return true;
    }
    return false;
}

// The text of `bytes` in `encoding` when they are valid there, without the mark.
std::optional<QString> StrictText(std::string_view bytes, FileEncoding encoding) {
    if (const char* name = IcuNameOf(encoding)) {
        QStringDecoder decoder(name, QStringConverter::Flag::Stateless);
        const QString text =
            decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        if (decoder.hasError() || text.contains(QChar::ReplacementCharacter)) return std::nullopt;
        return text;
    }
    QStringConverter::Encoding e = QStringConverter::Utf8;
    std::string_view mark = "\xEF\xBB\xBF";
    if (encoding == FileEncoding::Utf16LE) {
        e = QStringConverter::Utf16LE;
        mark = "\xFF\xFE";
    } else if (encoding == FileEncoding::Utf16BE) {
        e = QStringConverter::Utf16BE;
        mark = "\xFE\xFF";
    }
    if (bytes.starts_with(mark)) bytes.remove_prefix(mark.size());
    // Only the mark at the very start is dropped; a U+FEFF after it is text.
    QStringDecoder decoder(e, QStringConverter::Flag::Stateless |
                                  QStringConverter::Flag::ConvertInitialBom);
    const QString text =
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError() || (e != QStringConverter::Utf8 && bytes.size() % 2 != 0))
        return std::nullopt;
    // A surrogate that the decoder let through alone is no text either.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (text[i].isSurrogate()) {
            return std::nullopt;
        }
    }
    return text;
}

// Whether the bytes are GBK/GB18030 through and through: every character valid, none in
// the user-defined areas, no NUL.
bool PlainGbk(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos) return false;
    QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
    const QString text =
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return false;
    for (const QChar c : text)
        if (c == QChar::ReplacementCharacter || (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t pieceSize = std::size_t{data[0]} % 64 + 1;
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
    const QByteArray fileBytes(file.data(), static_cast<qsizetype>(file.size()));

    const QByteArray out = DisplayBytesOf(fileBytes);
    const FileEncoding encoding = DetectEncoding(file);
    if (encoding == FileEncoding::Gbk) {
        if (out != fileBytes) FuzzFailure("bytes taken for GBK come back changed");
    } else {
        QStringDecoder gb18030("GB18030", QStringConverter::Flag::Stateless);
        const QString shown = gb18030.decode(out);
        if (gb18030.hasError()) FuzzFailure("the conversion does not decode as GB18030");
        const std::optional<QString> text = StrictText(file, encoding);
        if (text && shown != *text) FuzzFailure("valid text reads otherwise after the conversion");
    }
    if (encoding == FileEncoding::Utf8 && !file.starts_with("\xEF\xBB\xBF") &&
        !AnyValidUtf8Sequence(file))
        FuzzFailure("bytes without a mark or a valid UTF-8 sequence taken for UTF-8");
    if ((encoding == FileEncoding::Utf16LE || encoding == FileEncoding::Utf16BE ||
         encoding == FileEncoding::Big5 || encoding == FileEncoding::Big5Hkscs) &&
        !file.starts_with("\xFF\xFE") && !file.starts_with("\xFE\xFF") && PlainGbk(file))
        FuzzFailure("valid GBK taken for Big5 or UTF-16");

    // The loader's way: the sniffer and the converter fed in pieces.
    EncodingSniffer sniffer(file.size());
    std::optional<FileEncoding> early;
    for (std::size_t at = 0; at < file.size(); at += pieceSize) {
        sniffer.Feed(file.substr(at, pieceSize));
        if (sniffer.Decided() && !early) early = sniffer.Verdict();
    }
    if (sniffer.Verdict() != encoding)
        FuzzFailure("the sniffer in pieces disagrees with the whole");
    if (early && *early != encoding) FuzzFailure("an early verdict changed by the end");

    if (encoding != FileEncoding::Gbk) {
        DisplayConverter converter(encoding);
        QByteArray pieces;
        for (std::size_t at = 0; at < file.size(); at += pieceSize)
            converter.Feed(file.substr(at, std::min(pieceSize, file.size() - at)), pieces);
        converter.Finish(pieces);
        if (pieces != out) FuzzFailure("converted in pieces, the bytes differ from the whole");
    }
    return 0;
}
