#include "app/settings/Bookmarks.h"

#include <QDateTime>
#include <QRandomGenerator>

#include <algorithm>
#include <limits>

namespace orlenth::settings {

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
    if (read.size() > kMaxBookmarks) {
        std::nth_element(read.begin(), read.begin() + kMaxBookmarks, read.end(), NewerFirst);
        read.resize(kMaxBookmarks);
    }
    for (TBookmark& b : read) bookmarks_.emplace(b.id, std::move(b));
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

TBookmark TBookmarks::Add(TBookmark b) {
    if (b.made <= 0) b.made = QDateTime::currentMSecsSinceEpoch();
    if (!IsId(b.id)) b.id = NewId(b.made);
    b.category = std::clamp(b.category, 0, kFolderCategory);
    b.entry = std::clamp(b.entry, 0, kMaxEntry);
    b.offset = std::max<qint64>(b.offset, 0);
    b.permille = std::clamp(b.permille, 0, 1000);
    b.title = Cut(b.title, kMaxTitleChars);
    b.opening = Cut(b.opening, kMaxOpeningChars);
    if (b.category != kFolderCategory) b.file.clear();
    bookmarks_[b.id] = b;
    Write(b);
    while (bookmarks_.size() > kMaxBookmarks) {
        const auto oldest = std::max_element(
            bookmarks_.begin(), bookmarks_.end(),
            [](const auto& x, const auto& y) { return NewerFirst(x.second, y.second); });
        file_.Remove(kGroup + u'/' + oldest->first);
        bookmarks_.erase(oldest);
    }
    return b;
}

bool TBookmarks::Rename(const QString& id, const QString& title) {
    const auto it = bookmarks_.find(id);
    if (it == bookmarks_.end()) return false;
    it->second.title = Cut(title, kMaxTitleChars);
    Write(it->second);
    return true;
}

bool TBookmarks::Remove(const QString& id) {
    if (bookmarks_.erase(id) == 0) return false;
    file_.Remove(kGroup + u'/' + id);
    return true;
}

void TBookmarks::Write(const TBookmark& b) {
    file_.Set(kGroup + u'/' + b.id,
              QStringList{QString::number(b.category), QString::number(b.entry), b.file, b.title,
                          QString::number(b.offset), QString::number(b.permille), b.opening,
                          QString::number(b.made)});
}

} // namespace orlenth::settings
