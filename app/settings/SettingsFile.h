#pragma once
// The reader's lasting settings: one INI file, read and written through QSettings
// (QSettings::IniFormat). Its default place is
// QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/orlenth.conf":
// the program sets the application name "orlenth" and no organization, so it is
// ~/.config/orlenth/orlenth.conf ($XDG_CONFIG_HOME/orlenth/orlenth.conf). docs/settings.md
// lists the keys.
//
// The file is read once, when opened, into memory; the getters read that copy, and the
// setters change it and remember the change for Save, which merges the changes into the
// file as it is on disk by then. Not thread-safe: one thread uses a store.

#include "app/settings/SettingsText.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace orlenth::settings {

// The settings file's default place (see above); empty when the configuration folder is
// unknown. Asks QStandardPaths, so the application name must be set first; a relative
// XDG_CONFIG_HOME is ignored, as the XDG rule has it (~/.config then).
QString DefaultPath();

class TSettingsFile {
public:
    static constexpr std::int64_t kMaxFileBytes = settings::kMaxFileBytes;
    static constexpr std::int64_t kMaxFileLines = settings::kMaxFileLines;

    // Off: reads nothing, writes nothing, creates nothing; every getter gives its "absent"
    // value and the setters do nothing. For runs that must leave the user's settings alone.
    static std::unique_ptr<TSettingsFile> Off();

    // Opens `path` (empty: the default place). Never throws for a bad file. A file that
    // cannot be read (no permission; a folder, FIFO, socket or device: it is opened without
    // waiting and only a regular file is read), is larger than kMaxFileBytes, is not UTF-8
    // text, or is refused by RefusalOf (SettingsText.h), or that QSettings reports as a
    // FormatError or AccessError, makes the store "damaged": it reads as empty (every
    // getter gives nothing) and never writes, so the file it could not read is not
    // overwritten. A missing file is not damaged: the store starts empty and Save makes it.
    // A file without its owner's write permission is read but never written (as by
    // OpenReadOnly), said once: "orlenth: settings FILE: is read-only (mode 0444); not saved".
    // The first problem of a store (damaged, or later a failed Save) is said once on
    // standard error: "orlenth: settings FILE: REASON; using the defaults" or
    // "orlenth: settings FILE: REASON; not saved", FILE's control bytes written as \xHH.
    static std::unique_ptr<TSettingsFile> Open(const QString& path = {});
    // Opens `path` as Open does, but never writes: Writing() is false, the setters do
    // nothing and Save does nothing and succeeds. For screenshots of a kept look.
    static std::unique_ptr<TSettingsFile> OpenReadOnly(const QString& path);

    TSettingsFile(const TSettingsFile&) = delete;
    TSettingsFile& operator=(const TSettingsFile&) = delete;
    ~TSettingsFile();

    bool Reading() const; // false when Off or damaged
    bool Writing() const; // false when Off, read-only, damaged, or a Save failed
    QString Path() const; // empty when Off

    // Typed getters. A value that is absent, of another type, unparsable or out of range
    // gives nothing, and the caller keeps its design value. Integers are decimal
    // ([+-]digits, as QSettings writes them); booleans "true" or "false". Strings are cut
    // at maxChars UTF-16 units (never inside a surrogate pair); a list keeps its first
    // maxItems items, each cut the same way (a one-item list reads back from the file as a
    // plain string, and is taken as one); bytes longer than maxBytes give nothing.
    std::optional<int> Int(const QString& key, int min, int max) const;
    std::optional<qint64> Int64(const QString& key, qint64 min, qint64 max) const;
    std::optional<bool> Bool(const QString& key) const;
    std::optional<QString> String(const QString& key, int maxChars = 1024) const;
    std::optional<QStringList> List(const QString& key, int maxItems, int maxChars = 1024) const;
    std::optional<QByteArray> Bytes(const QString& key, int maxBytes) const;

    // Sets or removes a key (and, for Remove, every key below it as a group). Accepted
    // values: bool, the integer types, QString, QStringList and QByteArray (saveGeometry's
    // blobs); a value of another type is not stored. Nothing happens unless Writing().
    // Keys are normalized as QSettings does (no leading, trailing or doubled '/').
    void Set(const QString& key, const QVariant& value);
    void Remove(const QString& key);

    // Writes what changed since the last Save into the file: under the file's lock
    // (FILE.lock, as QSettings takes it), the file as it is now is read and checked again,
    // the changes are applied over it key by key (so keys another reader wrote meanwhile
    // stay), and the result replaces it at once (written beside it, given the file's mode,
    // then renamed; a link is followed and stays a link). A result the reader would refuse
    // (past kMaxFileBytes or kMaxFileLines) is not written, and the failure says so. Copies
    // left beside the file (and in the temporary folder) by writers whose PID is gone are
    // removed first. Returns true when every change is on disk, or there
    // was none, or the store is Off; false when damaged or the write failed, saying so
    // once. After a failure Writing() is false and Save does nothing more.
    bool Save();

    // The child keys of `group` (not those of its subgroups), in key order, at most maxKeys.
    QStringList Keys(const QString& group, int maxKeys) const;

private:
    enum class State { Off, Fine, ReadOnly, Damaged, WriteFailed };
    TSettingsFile(State state, QString path);

    const QVariant* Find(const QString& key) const;
    // Parses the late groups' sections (places, bookmarks, recent) when `key` is in one of
    // them and they are not parsed yet; a fault there makes the store damaged, said once.
    void ReadLate(const QString& key) const;
    void Say(const std::string& reason, const char* outcome);
    std::optional<std::string> WriteChanges();

    State state_;
    QString path_;
    bool said_ = false;
    bool sweptTemp_ = false; // the temporary folder looked through for leftovers
    // As reading them back from the file gives them; the late groups' once asked for.
    mutable std::map<QString, QVariant> values_;
    mutable QByteArray late_; // the late groups' sections, not parsed yet
    std::map<QString, std::optional<QVariant>> changes_; // since the last Save; none: removed
};

} // namespace orlenth::settings
