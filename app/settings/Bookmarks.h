#pragma once
// The reader's bookmarks: group "bookmarks" of the settings file, one key per bookmark
// (the key is its id), the value the list
// [category, entry, file, title, offset, permille, opening, made].

#include "app/settings/SettingsFile.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace orlenth::settings {

struct TBookmark {
    QString id;        // unique, made by Add: ms since the epoch and random bits, in hex
    int category = 0;  // 0-4 the built-in categories; 5 the folder tab
    int entry = 0;     // the row in the built-in category (ignored for files)
    QString file;      // canonical path of a folder file; empty for a built-in article
    QString title;     // the row's title or the file's name, as shown
    qint64 offset = 0; // text offset of the marked top line (in the stored GB18030 text)
    int permille = 0;  // how far into the text, 0-1000 (PermilleOf)
    QString opening;   // the line's opening words
    qint64 made = 0;   // ms since the epoch
};

// How far into a text `offset` lies, in thousandths (0-1000), offset and length measured in
// the same text: the one shown, whose bytes differ from the file's on disk whenever the file
// was converted. `shownBytes` of it are there so far, made from `sourceRead` of the source's
// `sourceBytes` (a file's bytes, or the text itself); while it still arrives, its length is
// taken as the part there scaled up by the part of the source it came from.
int PermilleOf(std::uint64_t offset, std::uint64_t shownBytes, std::uint64_t sourceRead,
               std::uint64_t sourceBytes);

class TBookmarks {
public:
    static constexpr std::size_t kMaxBookmarks = 10000;
    static constexpr int kFolderCategory = 5;
    static constexpr int kMaxTitleChars = 1024;
    static constexpr int kMaxOpeningChars = 40;
    static constexpr int kMaxPathChars = 4096;
    // What the bookmarks may take of the settings file as written (WrittenBytesAtMost), so
    // that with the places and the rest the file stays below what the reader reads back
    // (kMaxFileBytes): about 10 000 bookmarks of the usual length, fewer of long ones.
    static constexpr std::int64_t kMaxBytes = std::int64_t{4} << 20;

    // Reads group "bookmarks" of `file` (which must outlive this): the newest by `made`, at
    // most kMaxBookmarks of them and kMaxBytes together; the older ones past these bounds
    // are removed from the file at the next Save. A bookmark that does not read back (fewer than
    // eight fields, numbers that do not parse or lie out of range, a folder bookmark without a file
    // or a built-in one with one, an id other than 1 to 64 of [0-9a-z-]) is skipped but left in the
    // file: a later version may write fields this one does not know. Fields past the eighth are
    // ignored for the same reason.
    explicit TBookmarks(TSettingsFile& file);

    // Newest first (by made, then by id).
    std::vector<TBookmark> All() const;

    // Stores `b` and returns it as stored: the id made when empty (or not of the form
    // above), `made` now when 0, the category brought into 0-5, entry, offset and
    // permille into their ranges, the title cut at kMaxTitleChars and the opening at
    // kMaxOpeningChars, a path longer than kMaxPathChars emptied (a folder bookmark without
    // its file is not stored: the id comes back empty); a built-in bookmark's file is
    // emptied. A bookmark with an id already stored replaces it. Past kMaxBookmarks or
    // kMaxBytes the oldest are removed, and `dropped` (when given) says how many, for the
    // reader to be told. Writes through to the file (not Save).
    TBookmark Add(TBookmark b, std::size_t* dropped = nullptr);

    // Changes the title (cut at kMaxTitleChars; past kMaxBytes the oldest others go, as for
    // Add); false when no bookmark has that id.
    bool Rename(const QString& id, const QString& title, std::size_t* dropped = nullptr);
    // False when no bookmark has that id.
    bool Remove(const QString& id);

private:
    void Write(const TBookmark& b);
    // Removes the oldest bookmarks but `keep` while past a bound; how many went.
    std::size_t Trim(const QString& keep);
    QString NewId(qint64 made) const;

    TSettingsFile& file_;
    std::map<QString, TBookmark> bookmarks_; // by id
    std::int64_t bytes_ = 0;                 // their WrittenBytesAtMost, together
};

} // namespace orlenth::settings
