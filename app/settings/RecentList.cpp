#include "app/settings/RecentList.h"

namespace orlenth::settings {

TRecentList::TRecentList(TSettingsFile& file) : file_(file) {
    // Room for the repeats and empty items that are then dropped.
    const auto stored = file_.List(kKey, 4 * kMaxRecent, kMaxPathChars + 1);
    if (!stored) return;
    for (const QString& p : *stored) {
        if (paths_.size() == kMaxRecent) break;
        if (!p.isEmpty() && p.size() <= kMaxPathChars && !paths_.contains(p)) paths_.append(p);
    }
}

QStringList TRecentList::Paths() const {
    return paths_;
}

void TRecentList::Add(const QString& path) {
    if (path.isEmpty() || path.size() > kMaxPathChars) return;
    paths_.removeAll(path);
    paths_.prepend(path);
    if (paths_.size() > kMaxRecent) paths_.resize(kMaxRecent);
    Write();
}

void TRecentList::Remove(const QString& path) {
    if (paths_.removeAll(path) > 0) Write();
}

void TRecentList::Write() {
    file_.Set(kKey, paths_);
}

} // namespace orlenth::settings
