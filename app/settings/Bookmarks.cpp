#include "app/settings/Bookmarks.h"

#include "app/settings/FilePlaces.h"
#include "app/settings/RecentList.h"

#include <QDateTime>
#include <QRandomGenerator>

#include <algorithm>
#include <limits>

namespace orlenth::settings {

// The reader's own lists, each at its bound, leave a settings file room to spare below what
// the reader reads back: a megabyte for the look, the place and keys of other versions.
static_assert(TBookmarks::kMaxBytes + TFilePlaces::kMaxBytes +
                      TRecentList::kMaxRecent * (4 * TRecentList::kMaxPathChars + 12) +
                      (std::int64_t{1} << 20) <
                  kMaxFileBytes,
              "the kept lists could together make a file the reader refuses");

namespace {

const QString kGroup = QStringLiteral("bookmarks");
constexpr int kMaxEntry = 1000000;
constexpr int kFields = 8;

bool IsId(const QString& id) {
    if (id.isEmpty() || id.size() > 64) return false;
    return std::all_of(id.begin(), id.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || c == u'-';
    });
}

QString Cut(QString s, int maxChars) {
    if (s.size() <= maxChars) return s;
    s.truncate(s.at(maxChars - 1).isHighSurrogate() ? maxChars - 1 : maxChars);
    return s;
}

std::optional<qint64> Number(const QString& s, qint64 min, qint64 max) {
    bool ok = false;
    const qint64 n = s.toLongLong(&ok, 10);
    if (!ok || n < min || n > max) return std::nullopt;
    return n;
}

std::optional<TBookmark> BookmarkOf(const QString& id, const QStringList& f) {
    if (!IsId(id) || f.size() < kFields) return std::nullopt;
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    const auto category = Number(f[0], 0, TBookmarks::kFolderCategory);
    const auto entry = Number(f[1], 0, kMaxEntry);
    const auto offset = Number(f[4], 0, kMax);
    const auto permille = Number(f[5], 0, 1000);
    const auto made = Number(f[7], 0, kMax);
    if (!category || !entry || !offset || !permille || !made) return std::nullopt;
    TBookmark b;
    b.id = id;
    b.category = static_cast<int>(*category);
    b.entry = static_cast<int>(*entry);
    b.file = f[2];
    b.title = Cut(f[3], TBookmarks::kMaxTitleChars);
    b.offset = *offset;
    b.permille = static_cast<int>(*permille);
    b.opening = Cut(f[6], TBookmarks::kMaxOpeningChars);
    b.made = *made;
    const bool folder = b.category == TBookmarks::kFolderCategory;
    if (folder == b.file.isEmpty() || b.file.size() > TBookmarks::kMaxPathChars)
        return std::nullopt;
    return b;
}

bool NewerFirst(const TBookmark& a, const TBookmark& b) {
    return a.made != b.made ? a.made > b.made : a.id > b.id;
}

QStringList FieldsOf(const TBookmark& b) {
    return {QString::number(b.category),
            QString::number(b.entry),
            b.file,
            b.title,
            QString::number(b.offset),
            QString::number(b.permille),
            b.opening,
            QString::number(b.made)};
}

std::int64_t SizeOf(const TBookmark& b) {
    return WrittenBytesAtMost(QString(kGroup + u'/' + b.id), FieldsOf(b));
}

} // namespace

int PermilleOf(std::uint64_t offset, std::uint64_t shownBytes, std::uint64_t sourceRead,
               std::uint64_t sourceBytes) {
    // In long double: the scaled length may pass what 64 bits hold for a hostile report.
    long double length = static_cast<long double>(shownBytes);
    if (sourceRead == 0)
        length = static_cast<long double>(std::max(shownBytes, sourceBytes));
    else if (sourceRead < sourceBytes)
        length = length * static_cast<long double>(sourceBytes) / sourceRead;
    length = std::max(length, 1.0L);
    return static_cast<int>(std::min(static_cast<long double>(offset), length) * 1000 / length);
}

TBookmarks::TBookmarks(TSettingsFile& file) : file_(file) {
    std::vector<TBookmark> read;
    for (const QString& id : file_.Keys(kGroup, static_cast<int>(TSettingsFile::kMaxFileLines))) {
        // One character more than allowed tells a path that was cut.
        const auto fields = file_.List(kGroup + u'/' + id, kFields, kMaxPathChars + 1);
        if (const auto b = fields ? BookmarkOf(id, *fields) : std::nullopt) read.push_back(*b);
    }
    std::sort(read.begin(), read.end(), NewerFirst);
    for (TBookmark& b : read) {
        const std::int64_t size = SizeOf(b);
        if (bookmarks_.size() < kMaxBookmarks && bytes_ + size <= kMaxBytes) {
            bytes_ += size;
            const QString id = b.id;
            bookmarks_.emplace(id, std::move(b));
        } else {
            file_.Remove(kGroup + u'/' + b.id);
        }
    }
}

std::vector<TBookmark> TBookmarks::All() const {
    std::vector<TBookmark> all;
    all.reserve(bookmarks_.size());
    for (const auto& [id, b] : bookmarks_) all.push_back(b);
    std::sort(all.begin(), all.end(), NewerFirst);
    return all;
}

QString TBookmarks::NewId(qint64 made) const {
    for (;;) {
        const QString id = QString::number(made, 16) + u'-' +
                           QString::number(QRandomGenerator::global()->generate(), 16);
        if (!bookmarks_.contains(id)) return id;
    }
}

TBookmark TBookmarks::Add(TBookmark b, std::size_t* dropped) {
    if (dropped) *dropped = 0;
    if (b.made <= 0) b.made = QDateTime::currentMSecsSinceEpoch();
    if (!IsId(b.id)) b.id = NewId(b.made);
    b.category = std::clamp(b.category, 0, kFolderCategory);
    b.entry = std::clamp(b.entry, 0, kMaxEntry);
    b.offset = std::max<qint64>(b.offset, 0);
    b.permille = std::clamp(b.permille, 0, 1000);
    b.title = Cut(b.title, kMaxTitleChars);
    b.opening = Cut(b.opening, kMaxOpeningChars);
    if (b.category != kFolderCategory || b.file.size() > kMaxPathChars) b.file.clear();
    // As reading it back would skip it.
    if (b.category == kFolderCategory && b.file.isEmpty()) {
        b.id.clear();
        return b;
    }
    if (const auto it = bookmarks_.find(b.id); it != bookmarks_.end()) bytes_ -= SizeOf(it->second);
    bookmarks_[b.id] = b;
    bytes_ += SizeOf(b);
    Write(b);
    const std::size_t gone = Trim(b.id);
    if (dropped) *dropped = gone;
    return b;
}

bool TBookmarks::Rename(const QString& id, const QString& title, std::size_t* dropped) {
    if (dropped) *dropped = 0;
    const auto it = bookmarks_.find(id);
    if (it == bookmarks_.end()) return false;
    bytes_ -= SizeOf(it->second);
    it->second.title = Cut(title, kMaxTitleChars);
    bytes_ += SizeOf(it->second);
    Write(it->second);
    const std::size_t gone = Trim(id);
    if (dropped) *dropped = gone;
    return true;
}

std::size_t TBookmarks::Trim(const QString& keep) {
    std::size_t gone = 0;
    while (bookmarks_.size() > kMaxBookmarks || bytes_ > kMaxBytes) {
        auto oldest = bookmarks_.end();
        for (auto it = bookmarks_.begin(); it != bookmarks_.end(); ++it)
            if (it->first != keep &&
                (oldest == bookmarks_.end() || NewerFirst(oldest->second, it->second)))
                oldest = it;
        if (oldest == bookmarks_.end()) break;
        bytes_ -= SizeOf(oldest->second);
        file_.Remove(kGroup + u'/' + oldest->first);
        bookmarks_.erase(oldest);
        ++gone;
    }
    return gone;
}

bool TBookmarks::Remove(const QString& id) {
    const auto it = bookmarks_.find(id);
    if (it == bookmarks_.end()) return false;
    bytes_ -= SizeOf(it->second);
    bookmarks_.erase(it);
    file_.Remove(kGroup + u'/' + id);
    return true;
}

void TBookmarks::Write(const TBookmark& b) {
    file_.Set(kGroup + u'/' + b.id, FieldsOf(b));
}

} // namespace orlenth::settings
