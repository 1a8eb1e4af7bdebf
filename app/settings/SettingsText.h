#pragma once
// Which bytes the settings store lets QSettings parse, and reading them from a path without
// ever waiting on it. QSettings itself reads whatever the path names, blocks on a FIFO, and
// turns a value written as @Variant(...) or @DateTime(...) into objects through QDataStream,
// which sizes lists by counts taken from the file; so the store checks the bytes first and
// hands QSettings only what passes.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <string>

namespace orlenth::settings {

// The most a settings file may hold. Ours stays far below: a thousand places and a few
// hundred bookmarks are about 200 KB.
inline constexpr std::int64_t kMaxFileBytes = std::int64_t{8} << 20;
// The most line breaks (LF or CR) it may hold, so that a file of tiny lines cannot make
// QSettings build millions of keys. Ours has one line per place, bookmark or setting.
inline constexpr std::int64_t kMaxFileLines = 100000;

// Whether `bytes` pass the bounds above: more than kMaxFileBytes, or more than kMaxFileLines
// line breaks. The writer asks before a file replaces the old one, so that it never writes
// what the reader would refuse.
bool PassesByteBound(QByteArrayView bytes);
bool PassesLineBound(QByteArrayView bytes);

// The most bytes `text` takes in the file as QSettings writes it, as a value or as an item
// of a list: UTF-8 (a surrogate counted as the three bytes of U+FFFD it may become), a
// control character written as \xHH and each hex digit after one escaped too, a quote or
// backslash escaped, and room for quotes, a ", " between items and an "@String(...)" or
// "@@" around. An upper bound, so that lists that keep their total under a share of
// kMaxFileBytes never make a file the reader refuses.
std::int64_t WrittenBytesAtMost(QStringView text);
// The same for a key and its list (or one string) on a line of its own.
std::int64_t WrittenBytesAtMost(QStringView key, const QStringList& items);

// Why `bytes` are refused as a settings file ("is not UTF-8 text", ...), or nothing.
// Refused are: more than kMaxFileBytes; text that is not UTF-8 or holds control bytes other
// than tab, LF and CR (QSettings escapes every other one it writes); more than kMaxFileLines
// line breaks; and any value that QSettings could read as @Variant(...) or @DateTime(...),
// however it is escaped or quoted. The last check errs on the safe side: a value with
// "=@Variant(" or ",@DateTime(" inside quotes is refused too, while a path that merely
// contains "@Variant(" after other characters, or a string value starting with it (which
// QSettings writes as "@@Variant("), passes.
std::optional<std::string> RefusalOf(QByteArrayView bytes);

// What reading a settings file found.
struct TFileBytes {
    enum class Kind {
        Missing, // nothing at the path (ENOENT): not a fault, the defaults apply
        Read,    // `bytes` hold the whole file, and RefusalOf accepted them
        Refused, // `reason` says why ("cannot be read: Permission denied", "is a folder", ...)
    };
    Kind kind = Kind::Missing;
    QByteArray bytes;
    std::string reason;
    unsigned mode = 0; // the file's permission bits when Read
};

// Reads the file at `path`. Opening never waits (O_NONBLOCK), only a regular file is read
// (the descriptor is asked, not the name), never more than kMaxFileBytes + 1 bytes, and what
// was read must pass RefusalOf. Links are followed. Never throws.
TFileBytes ReadSettingsBytes(const QString& path);

} // namespace orlenth::settings
