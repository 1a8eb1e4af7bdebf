#pragma once
// Where each folder file was left, for the kMaxPlaces most recently read, so that a file
// opens where its reader stopped.
//
// Places are kept by canonical path: the caller passes the path as the file system names
// the file after resolving links, "." and ".." (QFileInfo::canonicalFilePath, or
// QFile::decodeName of realpath's bytes), so that two ways to one file share a place. In
// the settings file each place is one key of group "places": the key is the lowercase hex
// SHA-1 of the path's UTF-8, the value the list [path, size, modified, offset, readAt,
// encoding, chapters] (the last two may be missing: a file kept before they existed), so
// that two readers saving at once merge file by file.

#include "app/settings/SettingsFile.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace orlenth::settings {

struct TFilePlace {
    QString path;        // canonical path
    qint64 size = 0;     // bytes, when the place was noted
    qint64 modified = 0; // ms since the epoch, when the place was noted
    qint64 offset = 0;   // text offset of the top line
    qint64 readAt = 0;   // ms since the epoch
    // The reader's own choices for this file, empty for the automatic ones: the encoding's
    // name as the 编码 menu has it, and the chapter rule ("rule:" and a rule's name, or
    // "re:" and a regular expression). At most kMaxPathChars characters each.
    QString encoding;
    QString chapters;
};

class TFilePlaces {
public:
    static constexpr std::size_t kMaxPlaces = 1000;
    // Paths longer than this (Linux's PATH_MAX in bytes, and so never in UTF-16 units for
    // a path that exists) are not kept.
    static constexpr int kMaxPathChars = 4096;
    // What the places may take of the settings file as written (WrittenBytesAtMost), so
    // that with the bookmarks and the rest the file stays below what the reader reads back
    // (kMaxFileBytes): the kMaxPlaces of usual paths take a tenth of it, long ones fewer.
    static constexpr std::int64_t kMaxBytes = std::int64_t{2} << 20;

    // Reads group "places" of `file` (which must outlive this), keeping the newest by
    // readAt, at most kMaxPlaces of them and kMaxBytes together. Entries that do not read back (not
    // a list of five, numbers that do not parse, a negative size or offset, a key that is not the
    // hash of its path) are skipped, and removed from the file at the next Save together with those
    // past the bounds. The cost is bounded by the file's: TSettingsFile refuses files of more than
    // kMaxFileBytes or kMaxFileLines.
    explicit TFilePlaces(TSettingsFile& file);

    // The offset to open `canonicalPath` at: the remembered one, or 0 when the file is
    // unknown or is now (`size`, its size now) no larger than that offset.
    qint64 OffsetFor(const QString& canonicalPath, qint64 size) const;

    // The path's record, or null when the file is unknown. Valid until the next Remember.
    const TFilePlace* Find(const QString& canonicalPath) const;

    // Notes a place (readAt now when it is 0), replacing the path's earlier one and
    // forgetting the least recently read beyond kMaxPlaces or kMaxBytes. Writes through to the file
    // (Set and Remove, not Save). A place with an empty path, a path longer than
    // kMaxPathChars, or a negative size or offset is ignored; a choice longer than
    // kMaxPathChars is kept empty.
    void Remember(const TFilePlace& place);

    std::size_t Count() const;

    // The key that `canonicalPath` has in the settings file ("places/" and 40 hex digits).
    static QString KeyOf(const QString& canonicalPath);

private:
    void Forget(const QString& path);

    TSettingsFile& file_;
    std::unordered_map<QString, TFilePlace> places_; // by path
    std::int64_t bytes_ = 0;                         // their WrittenBytesAtMost, together
};

} // namespace orlenth::settings
