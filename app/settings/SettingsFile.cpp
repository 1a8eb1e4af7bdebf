#include "app/settings/SettingsFile.h"

#include "framework/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orlenth::settings {

QString DefaultPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    // A relative XDG_CONFIG_HOME is no place at all (the XDG rule: ignore it), and would
    // put the file under whatever folder the reader was started in. Qt takes it as it is.
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && !QDir::isAbsolutePath(QFile::decodeName(xdg))) {
        const QString generic =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QString below =
            folder.startsWith(generic) ? folder.sliced(generic.size()) : QString();
        folder =
            below.isEmpty() ? QString() : QDir::homePath() + QStringLiteral("/.config") + below;
    }
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) return {};
    return folder + QStringLiteral("/orlenth.conf");
}

namespace {

// How long Save waits for another reader to finish writing the file.
constexpr int kLockWaitMs = 5000;

// As QSettings keeps keys: no leading, trailing or doubled '/'.
QString NormalKey(const QString& key) {
    QString out;
    out.reserve(key.size());
    for (const QChar c : key) {
        if (c == u'/' && (out.isEmpty() || out.back() == u'/')) continue;
        out += c;
    }
    if (out.endsWith(u'/')) out.chop(1);
    return out;
}

QString Cut(QString s, int maxChars) {
    const qsizetype n = std::max(maxChars, 0);
    if (s.size() <= n) return s;
    // A pair cut in two would leave half a character.
    const bool splitsPair = n > 0 && s.at(n - 1).isHighSurrogate();
    s.truncate(splitsPair ? n - 1 : n);
    return s;
}

// A value as QSettings should write it, and as reading the file back gives it.
struct TAccepted {
    QVariant written;
    QVariant read;
};

std::optional<TAccepted> Accept(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool: {
        const QString s = v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        return TAccepted{s, s};
    }
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong: {
        const QString s = QString::number(v.toLongLong());
        return TAccepted{s, s};
    }
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const QString s = QString::number(v.toULongLong());
        return TAccepted{s, s};
    }
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return TAccepted{v, v};
    case QMetaType::QStringList: {
        // QSettings writes no list as @Invalid() and one item as a plain string.
        const QStringList list = v.toStringList();
        if (list.isEmpty()) return TAccepted{v, QVariant()};
        if (list.size() == 1) return TAccepted{v, list.front()};
        return TAccepted{v, v};
    }
    default:
        return std::nullopt;
    }
}

// A file under `folder` that nothing else in this process has named, made anew (O_EXCL)
// with `mode` and holding `bytes`; empty, with errno set, when it cannot be made.
QString WriteCopy(const QString& folder, const QByteArray& bytes, unsigned mode) {
    static std::atomic<unsigned> counter{0};
    if (folder.isEmpty()) { // QDir::tempPath() of a TMPDIR that does not exist
        errno = ENOENT;
        return {};
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("%1/.orlenth-settings-%2-%3")
                                 .arg(folder)
                                 .arg(::getpid())
                                 .arg(counter.fetch_add(1));
        const QByteArray native = QFile::encodeName(name);
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return {};
        qsizetype done = 0;
        bool ok = ::fchmod(fd, static_cast<mode_t>(mode)) == 0;
        while (ok && done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done,
                                      static_cast<std::size_t>(bytes.size() - done));
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            if (ok) done += n;
        }
        const int writeErrno = errno;
        ok = (::close(fd) == 0) && ok;
        if (ok) return name;
        ::unlink(native.constData());
        errno = writeErrno;
        return {};
    }
    errno = EEXIST;
    return {};
}

// QSettings parses files only, and keeps what it parsed of a path for the rest of the
// process, trusting it again while the file's size and modification time look the same
// (to the millisecond, of a clock that moves every few). Another reader may well write a
// file of the same size within one tick, so QSettings only ever sees copies under names
// it has never seen.
std::optional<std::string> ParseWithQSettings(const QString& iniPath,
                                              std::map<QString, QVariant>& out) {
    QSettings ini(iniPath, QSettings::IniFormat);
    const QStringList keys = ini.allKeys(); // parses every section
    if (ini.status() == QSettings::AccessError) return "cannot be read";
    if (ini.status() == QSettings::FormatError) return "is not in the INI format";
    for (const QString& key : keys)
        if (!key.isEmpty()) out.emplace(key, ini.value(key)); // "=x": no key to ask for
    return std::nullopt;
}

// Qt 6.4 takes a byte-order mark for the start of a line without '='.
QByteArray WithoutMark(const QByteArray& bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

// What reading the file back gives for a value QSettings holds: it writes no list as
// @Invalid() and one item as a plain string.
QVariant AsReadBack(const QVariant& v) {
    if (v.typeId() != QMetaType::QStringList) return v;
    const QStringList list = v.toStringList();
    if (list.isEmpty()) return {};
    if (list.size() == 1) return list.front();
    return v;
}

// The copy goes to the temporary folder, or when there is none (TMPDIR naming a folder
// that is gone, say) beside the file.
std::optional<std::string> Parse(const QByteArray& bytes, const QString& besideFolder,
                                 std::map<QString, QVariant>& out) {
    QString copy = WriteCopy(QDir::tempPath(), WithoutMark(bytes), 0600);
    if (copy.isEmpty()) copy = WriteCopy(besideFolder, WithoutMark(bytes), 0600);
    if (copy.isEmpty())
        return std::string("cannot be read: no private copy of it can be made: ") +
               std::strerror(errno);
    auto why = ParseWithQSettings(copy, out);
    QFile::remove(copy);
    return why;
}

// The groups whose keys are many and wanted late: a thousand places, the bookmarks, the
// recent list. Their sections are parsed when one of their keys is first asked for, so
// that a start-up reads only the look and the place.
bool IsLateGroup(QStringView key) {
    for (const QStringView g : {u"places", u"bookmarks", u"recent"})
        if (key == g || (key.startsWith(g) && key.size() > g.size() && key[g.size()] == u'/'))
            return true;
    return false;
}

// Whether QSettings reads the line `line` (without its LF) on past its end: a quote left
// open, or a backslash before the line break. An unquoted ';' starts a comment, in which
// neither counts. A backslash takes the next character, as QSettings reads it.
bool GoesOnPastItsEnd(QByteArrayView line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\') {
            if (i + 1 >= line.size() || line[i + 1] == '\r') return true;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ';' && !quoted) {
            return false;
        }
    }
    return quoted;
}

// Cuts a file into the sections wanted at once and those of the late groups, at line ends.
// Only where QSettings ends its lines there too: a bare CR, or a line that QSettings reads
// on past its end (a quote left open, a backslash before the break), leaves the file whole,
// and so does a line of a late section that is neither blank, a comment, a section nor a
// key with '=' (it is then parsed at once, and its fault found at once, as before). Nothing
// is added: the parts are the file's lines as they are, so that reading them apart gives
// what the whole file's parse gives, which is the one Save writes from.
bool SplitLate(const QByteArray& bytes, QByteArray& early, QByteArray& late) {
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) return false;
    bool inLate = false;
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', from);
        end = end < 0 ? bytes.size() : end + 1;
        const QByteArrayView line(bytes.constData() + from, end - from);
        const QByteArrayView content = line.endsWith('\n') ? line.chopped(1) : line;
        if (GoesOnPastItsEnd(content)) return false;
        const QByteArrayView text = line.trimmed();
        if (text.startsWith('[')) {
            const qsizetype close = text.indexOf(']');
            if (close < 0) return false;
            const QByteArrayView name = text.sliced(1, close - 1).trimmed();
            inLate = name == "places" || name == "bookmarks" || name == "recent";
        } else if (inLate && !text.isEmpty() && !text.startsWith(';') && !text.contains('=')) {
            return false;
        }
        (inLate ? late : early).append(line.data(), line.size());
        from = end;
    }
    return true;
}

// Whether the early part gave a key of a late group after all: a section QSettings names
// differently than it is spelt ("[rec%65nt]", "[places/]") or a key with the group in it
// ("places\\h" in [General]). Such a file is read whole, so that no key is taken from two
// parses that could disagree on which of two values wins.
bool HoldsLateKey(const std::map<QString, QVariant>& values) {
    for (const QStringView name : {u"places", u"bookmarks", u"recent"}) {
        const QString g = name.toString();
        if (values.contains(g)) return true;
        const QString below = g + u'/';
        const auto it = values.lower_bound(below);
        if (it != values.end() && it->first.startsWith(below)) return true;
    }
    return false;
}

// The files a writer or reader of this store makes beside the file or in the temporary
// folder while it works: ".orlenth-settings-PID-N", and what QSettings adds to such a name
// (its ".lock", its own copy ".XXXXXX"). The PID that made it, when the name is one.
std::optional<pid_t> MakerOf(const QString& name) {
    static const QString prefix = QStringLiteral(".orlenth-settings-");
    if (!name.startsWith(prefix)) return std::nullopt;
    qsizetype i = prefix.size();
    qsizetype digits = i;
    while (digits < name.size() && name[digits].isDigit() && name[digits].unicode() < 0x80)
        ++digits;
    if (digits == i || digits - i > 9 || digits >= name.size() || name[digits] != u'-')
        return std::nullopt;
    bool ok = false;
    const int pid = name.sliced(i, digits - i).toInt(&ok);
    qsizetype n = digits + 1;
    while (n < name.size() && name[n].isDigit() && name[n].unicode() < 0x80) ++n;
    if (!ok || pid <= 0 || n == digits + 1 || (n < name.size() && name[n] != u'.'))
        return std::nullopt;
    return static_cast<pid_t>(pid);
}

// Removes from `folder` what writers that are gone (their PID names no process) left there
// when they were killed midway. A live writer's copies stay: its PID is there to be seen,
// as QLockFile sees it for the file's lock.
void RemoveLeftovers(const QString& folder) {
    if (folder.isEmpty()) return;
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({QStringLiteral(".orlenth-settings-*")},
                      QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const auto pid = MakerOf(name);
        if (!pid || *pid == ::getpid()) continue;
        if (::kill(*pid, 0) == 0 || errno != ESRCH) continue;
        ::unlink(QFile::encodeName(dir.filePath(name)).constData());
    }
}

QString ModeText(unsigned mode) {
    return QString::asprintf("%04o", mode & 07777);
}

} // namespace

void TSettingsFile::ReadLate(const QString& key) const {
    if (late_.isEmpty() || !IsLateGroup(key)) return;
    std::map<QString, QVariant> got;
    const QByteArray bytes = std::exchange(late_, QByteArray());
    const auto why = Parse(bytes, QFileInfo(path_).absolutePath(), got);
    if (why) {
        // Damaged after all: nothing of it is used, and the file is never written.
        auto* self = const_cast<TSettingsFile*>(this);
        if (self->state_ != State::Off) self->state_ = State::Damaged;
        self->Say(*why, "not saved");
        return;
    }
    // What the store holds already (read early, or set since) stands.
    for (auto& [k, v] : got) values_.emplace(k, std::move(v));
}

TSettingsFile::TSettingsFile(State state, QString path) : state_(state), path_(std::move(path)) {}

TSettingsFile::~TSettingsFile() = default;

std::unique_ptr<TSettingsFile> TSettingsFile::Off() {
    return std::unique_ptr<TSettingsFile>(new TSettingsFile(State::Off, {}));
}

std::unique_ptr<TSettingsFile> TSettingsFile::Open(const QString& path) {
    const QString where = path.isEmpty() ? DefaultPath() : path;
    std::unique_ptr<TSettingsFile> file(new TSettingsFile(State::Fine, where));
    if (where.isEmpty()) {
        file->state_ = State::Damaged;
        file->Say("has no place: the configuration folder is unknown", "using the defaults");
        return file;
    }
    const TFileBytes read = ReadSettingsBytes(where);
    std::optional<std::string> why;
    if (read.kind == TFileBytes::Kind::Refused) why = read.reason;
    if (read.kind == TFileBytes::Kind::Read) {
        const QByteArray whole = WithoutMark(read.bytes);
        const QString folder = QFileInfo(where).absolutePath();
        QByteArray early;
        if (!SplitLate(whole, early, file->late_)) {
            early = whole;
            file->late_.clear();
        }
        why = Parse(early, folder, file->values_);
        if (!why && !file->late_.isEmpty() && HoldsLateKey(file->values_)) {
            file->values_.clear();
            file->late_.clear();
            why = Parse(whole, folder, file->values_);
        }
    }
    if (why) {
        file->values_.clear();
        file->late_.clear();
        file->state_ = State::Damaged;
        file->Say(*why, "using the defaults");
    } else if (read.kind == TFileBytes::Kind::Read && (read.mode & S_IWUSR) == 0) {
        // Made read-only by its owner: kept as it is, whoever runs the reader (root too).
        file->state_ = State::ReadOnly;
        file->Say("is read-only (mode " + ModeText(read.mode).toStdString() + ")", "not saved");
    }
    return file;
}

std::unique_ptr<TSettingsFile> TSettingsFile::OpenReadOnly(const QString& path) {
    std::unique_ptr<TSettingsFile> file = Open(path);
    if (file->state_ == State::Fine) file->state_ = State::ReadOnly;
    return file;
}

bool TSettingsFile::Reading() const {
    return state_ == State::Fine || state_ == State::WriteFailed || state_ == State::ReadOnly;
}

bool TSettingsFile::Writing() const {
    return state_ == State::Fine;
}

QString TSettingsFile::Path() const {
    return path_;
}

void TSettingsFile::Say(const std::string& reason, const char* outcome) {
    if (said_) return;
    said_ = true;
    const std::string shown = EscapeControls(QFile::encodeName(path_).toStdString());
    std::fprintf(stderr, "orlenth: settings %s: %s; %s\n", shown.c_str(), reason.c_str(), outcome);
    std::fflush(stderr);
}

const QVariant* TSettingsFile::Find(const QString& key) const {
    if (!Reading()) return nullptr;
    ReadLate(NormalKey(key));
    if (!Reading()) return nullptr;
    const auto it = values_.find(NormalKey(key));
    return it == values_.end() ? nullptr : &it->second;
}

std::optional<qint64> TSettingsFile::Int64(const QString& key, qint64 min, qint64 max) const {
    const QVariant* v = Find(key);
    if (!v || v->typeId() != QMetaType::QString) return std::nullopt;
    bool ok = false;
    const qint64 n = v->toString().toLongLong(&ok, 10);
    if (!ok || n < min || n > max) return std::nullopt;
    return n;
}

std::optional<int> TSettingsFile::Int(const QString& key, int min, int max) const {
    const auto n = Int64(key, min, max);
    if (!n) return std::nullopt;
    return static_cast<int>(*n);
}

std::optional<bool> TSettingsFile::Bool(const QString& key) const {
    const QVariant* v = Find(key);
    if (!v || v->typeId() != QMetaType::QString) return std::nullopt;
    const QString s = v->toString();
    if (s == u"true") return true;
    if (s == u"false") return false;
    return std::nullopt;
}

std::optional<QString> TSettingsFile::String(const QString& key, int maxChars) const {
    const QVariant* v = Find(key);
    if (!v || v->typeId() != QMetaType::QString) return std::nullopt;
    return Cut(v->toString(), maxChars);
}

std::optional<QStringList> TSettingsFile::List(const QString& key, int maxItems,
                                               int maxChars) const {
    const QVariant* v = Find(key);
    if (!v) return std::nullopt;
    QStringList items;
    if (!v->isValid()) {
        // QSettings's form of an empty list.
    } else if (v->typeId() == QMetaType::QString) {
        items.append(v->toString());
    } else if (v->typeId() == QMetaType::QStringList) {
        items = v->toStringList();
    } else if (v->typeId() == QMetaType::QVariantList) {
        // A list with an item QSettings read as something else (@ByteArray(...)).
        for (const QVariant& item : v->toList()) {
            if (item.typeId() != QMetaType::QString) return std::nullopt;
            items.append(item.toString());
        }
    } else {
        return std::nullopt;
    }
    if (items.size() > std::max(maxItems, 0)) items.resize(std::max(maxItems, 0));
    for (QString& item : items) item = Cut(std::move(item), maxChars);
    return items;
}

std::optional<QByteArray> TSettingsFile::Bytes(const QString& key, int maxBytes) const {
    const QVariant* v = Find(key);
    if (!v || v->typeId() != QMetaType::QByteArray) return std::nullopt;
    QByteArray bytes = v->toByteArray();
    if (bytes.size() > maxBytes) return std::nullopt;
    return bytes;
}

void TSettingsFile::Set(const QString& key, const QVariant& value) {
    const QString k = NormalKey(key);
    if (!Writing() || k.isEmpty()) return;
    ReadLate(k);
    if (!Writing()) return;
    const auto accepted = Accept(value);
    if (!accepted) return;
    // A value the file already holds is no change: written again, it would undo what
    // another reader wrote to that key meanwhile.
    if (const auto it = values_.find(k); it != values_.end() && it->second == accepted->read)
        return;
    values_[k] = accepted->read;
    changes_[k] = accepted->written;
}

void TSettingsFile::Remove(const QString& key) {
    const QString k = NormalKey(key);
    if (!Writing() || k.isEmpty()) return;
    ReadLate(k);
    if (!Writing()) return;
    // The key and its group, as QSettings::remove takes them.
    const QString below = k + u'/';
    for (auto it = values_.lower_bound(below); it != values_.end() && it->first.startsWith(below);)
        it = values_.erase(it);
    for (auto it = changes_.lower_bound(below);
         it != changes_.end() && it->first.startsWith(below);)
        it = changes_.erase(it);
    values_.erase(k);
    changes_[k] = std::nullopt;
}

QStringList TSettingsFile::Keys(const QString& group, int maxKeys) const {
    QStringList keys;
    if (!Reading()) return keys;
    const QString g = NormalKey(group);
    // Every group may hold a late one's keys: the whole file's are wanted.
    ReadLate(g.isEmpty() ? QStringLiteral("places") : g);
    if (!Reading()) return keys;
    const QString prefix = g.isEmpty() ? QString() : g + u'/';
    for (auto it = values_.lower_bound(prefix);
         it != values_.end() && it->first.startsWith(prefix) && keys.size() < maxKeys; ++it) {
        const QStringView rest = QStringView(it->first).sliced(prefix.size());
        if (!rest.contains(u'/')) keys.append(rest.toString());
    }
    return keys;
}

bool TSettingsFile::Save() {
    if (state_ == State::Off || state_ == State::ReadOnly) return true;
    if (!Writing()) return false;
    if (changes_.empty()) return true;
    if (const auto why = WriteChanges()) {
        state_ = State::WriteFailed;
        Say(*why, "not saved");
        return false;
    }
    changes_.clear();
    return true;
}

std::optional<std::string> TSettingsFile::WriteChanges() {
    // A link stays a link: its target is replaced.
    QString target = path_;
    if (const QFileInfo info(path_); info.isSymLink() && !info.canonicalFilePath().isEmpty())
        target = info.canonicalFilePath();
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder)) return "cannot be written: its folder cannot be made";

    QLockFile lock(target + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs)) {
        if (lock.error() == QLockFile::LockFailedError)
            return "cannot be written: another program holds its lock";
        return "cannot be written: its lock file cannot be made in its folder";
    }
    // Copies left by writers killed midway go now, before this one adds its own.
    RemoveLeftovers(folder);
    if (!sweptTemp_) RemoveLeftovers(QDir::tempPath());
    sweptTemp_ = true;

    const TFileBytes now = ReadSettingsBytes(target);
    if (now.kind == TFileBytes::Kind::Refused) return now.reason;
    const unsigned mode = now.kind == TFileBytes::Kind::Read ? now.mode : 0600;
    if ((mode & S_IWUSR) == 0) return "is read-only (mode " + ModeText(mode).toStdString() + ")";
    // Private while it is written; the file's mode is put on it just before it replaces it.
    const QString copy = WriteCopy(folder, WithoutMark(now.bytes), 0600);
    if (copy.isEmpty()) return std::string("cannot be written: ") + std::strerror(errno);

    std::optional<std::string> why;
    std::map<QString, QVariant> meant;
    {
        QSettings ini(copy, QSettings::IniFormat);
        ini.allKeys(); // parses every section, so that a fault shows before writing
        if (ini.status() != QSettings::NoError) {
            why = "is not in the INI format";
        } else {
            for (const auto& [key, value] : changes_)
                if (!value) ini.remove(key);
            for (const auto& [key, value] : changes_)
                if (value) ini.setValue(key, *value);
            ini.sync();
            if (ini.status() != QSettings::NoError) why = "cannot be written";
            for (const QString& key : ini.allKeys())
                if (!key.isEmpty()) meant.emplace(key, AsReadBack(ini.value(key)));
        }
    }
    // The file's mode, whatever QSettings did when it wrote its own copy over ours.
    if (!why && ::chmod(QFile::encodeName(copy).constData(), static_cast<mode_t>(mode)) != 0)
        why = std::string("cannot be written: ") + std::strerror(errno);
    // What the reader would refuse is never written: the reason is said as it is, not taken
    // for a full disk below.
    if (!why) {
        QFile written(copy);
        if (written.size() > kMaxFileBytes) {
            why = "cannot be written: it would be larger than " + std::to_string(kMaxFileBytes) +
                  " bytes, the most a settings file may hold";
        } else if (written.open(QIODevice::ReadOnly) && PassesLineBound(written.readAll())) {
            why = "cannot be written: it would have more than " + std::to_string(kMaxFileLines) +
                  " lines, the most a settings file may hold";
        }
    }
    // QSettings reports no error for a write cut short (a full disk): what was written has
    // to read back as what was meant.
    if (!why) {
        const TFileBytes written = ReadSettingsBytes(copy);
        std::map<QString, QVariant> got;
        if (written.kind != TFileBytes::Kind::Read || Parse(written.bytes, folder, got) ||
            got != meant)
            why = "cannot be written: what was written does not read back (is the disk full?)";
    }
    if (!why &&
        ::rename(QFile::encodeName(copy).constData(), QFile::encodeName(target).constData()) != 0)
        why = std::string("cannot be written: ") + std::strerror(errno);
    if (why) QFile::remove(copy);
    return why;
}

} // namespace orlenth::settings
