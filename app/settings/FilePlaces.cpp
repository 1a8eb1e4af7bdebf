#include "app/settings/FilePlaces.h"

#include <QCryptographicHash>
#include <QDateTime>

#include <algorithm>
#include <limits>
#include <vector>

namespace orlenth::settings {

namespace {

const QString kGroup = QStringLiteral("places");
constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();

QString HashOf(const QString& path) {
    return QString::fromLatin1(
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex());
}

std::optional<qint64> Number(const QString& s, qint64 min) {
    bool ok = false;
    const qint64 n = s.toLongLong(&ok, 10);
    if (!ok || n < min) return std::nullopt;
    return n;
}

// The place a key's value holds, when it reads back whole.
std::optional<TFilePlace> PlaceOf(const QString& hash, const QStringList& fields) {
    if (fields.size() != 5 && fields.size() != 7) return std::nullopt;
    TFilePlace p;
    p.path = fields[0];
    if (p.path.isEmpty() || p.path.size() > TFilePlaces::kMaxPathChars || HashOf(p.path) != hash)
        return std::nullopt;
    const auto size = Number(fields[1], 0);
    const auto modified = Number(fields[2], kMin);
    const auto offset = Number(fields[3], 0);
    const auto readAt = Number(fields[4], kMin);
    if (!size || !modified || !offset || !readAt) return std::nullopt;
    p.size = *size;
    p.modified = *modified;
    p.offset = *offset;
    p.readAt = *readAt;
    if (fields.size() == 7) {
        if (fields[5].size() > TFilePlaces::kMaxPathChars ||
            fields[6].size() > TFilePlaces::kMaxPathChars)
            return std::nullopt;
        p.encoding = fields[5];
        p.chapters = fields[6];
    }
    return p;
}

bool NewerFirst(const TFilePlace& a, const TFilePlace& b) {
    return a.readAt != b.readAt ? a.readAt > b.readAt : a.path < b.path;
}

QStringList FieldsOf(const TFilePlace& p) {
    return {p.path,
            QString::number(p.size),
            QString::number(p.modified),
            QString::number(p.offset),
            QString::number(p.readAt),
            p.encoding,
            p.chapters};
}

std::int64_t SizeOf(const TFilePlace& p) {
    // The key is "places/" and 40 hex digits whatever the path.
    return WrittenBytesAtMost(QStringView(u"places/0123456789012345678901234567890123456789"),
                              FieldsOf(p));
}

} // namespace

QString TFilePlaces::KeyOf(const QString& canonicalPath) {
    return kGroup + u'/' + HashOf(canonicalPath);
}

TFilePlaces::TFilePlaces(TSettingsFile& file) : file_(file) {
    const QStringList hashes = file_.Keys(kGroup, static_cast<int>(TSettingsFile::kMaxFileLines));
    std::vector<TFilePlace> read;
    for (const QString& hash : hashes) {
        // One character more than a path may have tells a path that was cut.
        const auto fields = file_.List(kGroup + u'/' + hash, 8, kMaxPathChars + 1);
        const auto place = fields ? PlaceOf(hash, *fields) : std::nullopt;
        if (place)
            read.push_back(*place);
        else
            file_.Remove(kGroup + u'/' + hash);
    }
    std::sort(read.begin(), read.end(), NewerFirst);
    places_.reserve(std::min(read.size(), kMaxPlaces));
    for (TFilePlace& p : read) {
        const std::int64_t size = SizeOf(p);
        if (places_.size() < kMaxPlaces && bytes_ + size <= kMaxBytes) {
            bytes_ += size;
            const QString path = p.path;
            places_.emplace(path, std::move(p));
        } else {
            file_.Remove(KeyOf(p.path));
        }
    }
}

qint64 TFilePlaces::OffsetFor(const QString& canonicalPath, qint64 size) const {
    const auto it = places_.find(canonicalPath);
    if (it == places_.end() || size <= it->second.offset) return 0;
    return it->second.offset;
}

void TFilePlaces::Remember(const TFilePlace& place) {
    if (place.path.isEmpty() || place.path.size() > kMaxPathChars || place.size < 0 ||
        place.offset < 0)
        return;
    TFilePlace p = place;
    if (p.encoding.size() > kMaxPathChars) p.encoding.clear();
    if (p.chapters.size() > kMaxPathChars) p.chapters.clear();
    if (p.readAt == 0) p.readAt = QDateTime::currentMSecsSinceEpoch();
    if (const auto it = places_.find(p.path); it != places_.end()) bytes_ -= SizeOf(it->second);
    places_[p.path] = p;
    bytes_ += SizeOf(p);
    file_.Set(KeyOf(p.path), FieldsOf(p));
    while (places_.size() > kMaxPlaces || bytes_ > kMaxBytes) {
        auto oldest = places_.end();
        for (auto it = places_.begin(); it != places_.end(); ++it)
            if (oldest == places_.end() || NewerFirst(oldest->second, it->second)) oldest = it;
        if (oldest == places_.end()) break;
        Forget(oldest->first);
    }
}

const TFilePlace* TFilePlaces::Find(const QString& canonicalPath) const {
    const auto it = places_.find(canonicalPath);
    return it == places_.end() ? nullptr : &it->second;
}

void TFilePlaces::Forget(const QString& path) {
    file_.Remove(KeyOf(path));
    if (const auto it = places_.find(path); it != places_.end()) {
        bytes_ -= SizeOf(it->second);
        places_.erase(it);
    }
}

std::size_t TFilePlaces::Count() const {
    return places_.size();
}

} // namespace orlenth::settings
