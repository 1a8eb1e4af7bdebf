#pragma once
// Conversions between the system's code page (GBK) and Unicode, through Qt's converters.
// Every call stands alone: nothing of one text carries over into the next, so a text cut
// in the middle of a character spoils only that character.

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

namespace orlenth {

// GBK bytes to UTF-16. Invalid sequences become U+FFFD, and so does an unfinished
// character at the end; `ok` (when given) tells whether the bytes decoded cleanly and
// encode back to the same bytes.
QString GbkToUnicode(std::string_view gbk, bool* ok = nullptr);
// UTF-16 to GBK. Characters GBK cannot hold make `ok` false (and are replaced).
std::string UnicodeToGbk(const QString& text, bool* ok = nullptr);

// Whether the bytes are well-formed UTF-8 to their end (a character cut off at the end is
// not), so that a message can tell bytes that are not UTF-8 from characters GBK lacks.
bool IsUtf8(std::string_view bytes);

// Text on screen (captions, rows, the page) is read as GB18030: GBK bytes read the same
// under it, and its four-byte sequences carry the characters GBK lacks, so that a folder
// or file name from the file system loses nothing on its way to the screen. Invalid
// sequences become U+FFFD, an unfinished character at the end one U+FFFD; never throws.
QString DisplayTextToUnicode(std::string_view bytes);
QString DisplayTextToUnicode(const QByteArray& bytes);
// UTF-16 to GB18030, which holds every character.
std::string UnicodeToDisplayText(const QString& text);
QByteArray UnicodeToDisplayBytes(const QString& text);

} // namespace orlenth
