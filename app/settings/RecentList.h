#pragma once
// The files and folders opened last: key "recent/paths" of the settings file, a list of
// at most kMaxRecent paths, newest first.

#include "app/settings/SettingsFile.h"

#include <QString>
#include <QStringList>

namespace orlenth::settings {

class TRecentList {
public:
    static constexpr int kMaxRecent = 10;
    static constexpr int kMaxPathChars = 4096;
    static inline const QString kKey = QStringLiteral("recent/paths");

    // Reads the list from `file` (which must outlive this): its first kMaxRecent paths,
    // without empty ones, repeats or paths longer than kMaxPathChars.
    explicit TRecentList(TSettingsFile& file);

    QStringList Paths() const;

    // Puts `path` first (moving it when listed), dropping what passes kMaxRecent; an empty
    // path or one longer than kMaxPathChars is ignored. Writes through to the file (not Save).
    void Add(const QString& path);
    void Remove(const QString& path);

private:
    void Write();

    TSettingsFile& file_;
    QStringList paths_;
};

} // namespace orlenth::settings
