#pragma once
// Conversions between the system's code page (GBK) and Unicode, through Qt's converters.

#include <QString>

#include <string>
#include <string_view>

namespace orlenth {

// GBK bytes to UTF-16. Invalid sequences become U+FFFD; `ok` (when given) tells whether
// the bytes decoded cleanly and encode back to the same bytes.
QString GbkToUnicode(std::string_view gbk, bool* ok = nullptr);
// UTF-16 to GBK. Characters GBK cannot hold make `ok` false (and are replaced).
std::string UnicodeToGbk(const QString& text, bool* ok = nullptr);

} // namespace orlenth
