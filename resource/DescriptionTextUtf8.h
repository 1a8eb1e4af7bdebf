#pragma once
// UTF-8 as the description text reads it, shared by its parser and its printer.

#include <QStringDecoder>

#include <string_view>

namespace orlenth {

// UTF-8 to UTF-16 where a U+FEFF at the start is a character like any other: a quoted text
// is cut into pieces at its escapes, and a wide text may hold that character anywhere, a
// piece's start included. Invalid sequences become U+FFFD.
inline QString DescriptionUtf8ToUnicode(std::string_view utf8) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

} // namespace orlenth
