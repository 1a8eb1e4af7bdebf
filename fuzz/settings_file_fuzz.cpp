// A settings file as the reader opens it at start-up: written into a folder of its own,
// opened, and read through every getter and the places, bookmarks and recent list. What
// the getters give stays inside their bounds; every value is what QSettings reads from the
// whole file (the parse a save writes from), however the store cuts it for its late groups;
// a file the store accepts can be saved over (or the store says why not), and what was saved
// reads back the same.
//
// An input starting with 0xFF (never the first byte of a file the store reads) instead
// drives a writer of this target's own: keys with strings and lists of every awkward
// character, written in sections in any order, quoted and escaped as the INI format has it,
// with spaces, comments and CR LF here and there. The store must give back exactly those
// values, and again after a save.

#include "FuzzFolder.h"
#include "FuzzTarget.h"

#include "app/settings/Bookmarks.h"
#include "app/settings/FilePlaces.h"
#include "app/settings/RecentList.h"
#include "app/settings/SettingsFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace orlenth::settings;

const FuzzFolder& folder() {
    static const FuzzFolder f("settings");
    return f;
}

const char* const kGroups[] = {"", "window", "places", "bookmarks", "recent", "fuzz"};

// Everything the getters give for every key of the groups above, bounds checked.
struct TSeen {
    std::vector<std::optional<qint64>> numbers;
    std::vector<std::optional<bool>> flags;
    std::vector<std::optional<QString>> strings;
    std::vector<std::optional<QStringList>> lists;
    std::vector<std::optional<QByteArray>> bytes;
    bool operator==(const TSeen&) const = default;
};

TSeen ReadEverything(const TSettingsFile& file) {
    TSeen seen;
    for (const char* group : kGroups) {
        const QStringList keys = file.Keys(group, 300);
        if (keys.size() > 300) FuzzFailure("Keys passed its bound");
        for (const QString& name : keys) {
            const QString key = *group ? QString(group) + u'/' + name : name;
            const auto i = file.Int(key, -5, 5);
            if (i && (*i < -5 || *i > 5)) FuzzFailure("Int out of its range");
            seen.numbers.push_back(file.Int64(key, 0, qint64{1} << 53));
            seen.flags.push_back(file.Bool(key));
            const auto s = file.String(key, 7);
            if (s && s->size() > 7) FuzzFailure("String longer than asked");
            seen.strings.push_back(file.String(key));
            const auto l = file.List(key, 3, 5);
            if (l && l->size() > 3) FuzzFailure("List longer than asked");
            if (l)
                for (const QString& item : *l)
                    if (item.size() > 5) FuzzFailure("List item longer than asked");
            seen.lists.push_back(file.List(key, 100));
            const auto b = file.Bytes(key, 16);
            if (b && b->size() > 16) FuzzFailure("Bytes longer than asked");
            seen.bytes.push_back(file.Bytes(key, 1 << 20));
        }
    }
    return seen;
}

// Runs `f` with standard error sent nowhere: a damaged file is said there, one line an input.
template <class F> auto Quietly(F f) {
    std::fflush(stderr);
    const int kept = ::dup(2);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ::dup2(null, 2);
    auto result = f();
    std::fflush(stderr);
    ::dup2(kept, 2);
    ::close(kept);
    ::close(null);
    return result;
}

constexpr int kHuge = 1 << 24;

// Every key and value as QSettings reads the whole file, with no private copy or cut between.
// A name of its own each time: QSettings trusts what it parsed of a path while its size and
// time look the same.
struct TWholeParse {
    bool fine = false; // QSettings reported no error
    std::map<QString, QVariant> values;
};

TWholeParse WholeParse(std::string_view bytes) {
    static unsigned counter = 0;
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3); // as the store drops it
    const auto path = folder() / ("whole-" + std::to_string(counter++) + ".conf");
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    TWholeParse out;
    {
        QSettings ini(QFile::decodeName(QByteArray(path.c_str())), QSettings::IniFormat);
        for (const QString& key : ini.allKeys()) out.values.emplace(key, ini.value(key));
        out.fine = ini.status() == QSettings::NoError;
    }
    std::filesystem::remove(path);
    return out;
}

// The store gives for `key` what the whole file's parse gives, through the getter for its
// kind, and nothing through the others. A file QSettings finds a fault in is one the store
// calls damaged, once it has read its late groups too (and the other way round).
void CheckAgainstWholeParse(const TSettingsFile& file, const TWholeParse& parse) {
    file.Keys(QString(), 1); // every group read
    if (file.Reading() != parse.fine) FuzzFailure("the store and QSettings disagree on a fault");
    if (!parse.fine) return;
    for (const auto& [key, v] : parse.values) {
        // A key the store spells otherwise ("a//b") is asked for under that spelling.
        if (key.isEmpty() || key.contains(u"//") || key.startsWith(u'/') || key.endsWith(u'/'))
            continue;
        std::optional<QStringList> list;
        if (!v.isValid()) {
            list = QStringList{};
        } else if (v.typeId() == QMetaType::QString) {
            list = QStringList{v.toString()};
            if (file.String(key, kHuge) != v.toString()) FuzzFailure("a string is not the file's");
        } else if (v.typeId() == QMetaType::QStringList) {
            list = v.toStringList();
        } else if (v.typeId() == QMetaType::QVariantList) {
            QStringList items;
            for (const QVariant& item : v.toList())
                if (item.typeId() == QMetaType::QString) items.append(item.toString());
            if (items.size() == v.toList().size()) list = items;
        }
        if (file.List(key, kHuge, kHuge) != list) FuzzFailure("a list is not the file's");
        const auto bytes = file.Bytes(key, kHuge);
        if (v.typeId() == QMetaType::QByteArray ? bytes != v.toByteArray() : bytes.has_value())
            FuzzFailure("bytes are not the file's");
    }
}

// The input's bytes, drawn one decision at a time; zeros once they run out.
class Draw {
public:
    Draw(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    unsigned Next(unsigned below) { return pos_ < size_ ? data_[pos_++] % below : 0; }
    bool More() const { return pos_ < size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Characters a value may hold: what the INI format quotes or escapes, markers' first
// characters, and text of one, two and four bytes a character.
const char16_t* const kPieces[] = {u"a",  u"Z",  u"0",  u"9",  u" ",      u",", u";", u"=",  u"\"",
                                   u"\\", u"@",  u"[",  u"]",  u"%",      u"/", u"#", u"\t", u"\n",
                                   u"\r", u"\a", u"\b", u"\f", u"\v",     u"'", u"~", u"é",  u"中",
                                   u"文", u"😀",  u"x",  u"$",  u"\u3000", u"!"};

QString Value(Draw& draw) {
    QString s;
    for (unsigned n = draw.Next(13); n > 0; --n)
        s += QString::fromUtf16(kPieces[draw.Next(std::size(kPieces))]);
    return s;
}

// One item as the INI format writes it: in quotes, quote, backslash and control characters
// escaped, a leading '@' doubled (QSettings reads "@..." as a marker, quoted or not).
std::string Written(const QString& item) {
    QString out = QStringLiteral("\"");
    if (item.startsWith(u'@')) out += u'@';
    for (const QChar c : item) {
        switch (c.unicode()) {
        case u'"':
            out += QStringLiteral("\\\"");
            break;
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\a':
            out += QStringLiteral("\\a");
            break;
        case u'\b':
            out += QStringLiteral("\\b");
            break;
        case u'\f':
            out += QStringLiteral("\\f");
            break;
        case u'\v':
            out += QStringLiteral("\\v");
            break;
        default:
            out += c;
            break;
        }
    }
    out += u'"';
    return out.toUtf8().toStdString();
}

struct TWritten {
    std::string bytes;
    std::map<QString, QStringList> lists; // two items or more
    std::map<QString, QString> strings;
    // A line of raw characters was written too (a quote left open, a ';', a backslash at
    // its end): what follows it may be read otherwise, so only the whole file's parse tells.
    bool raw = false;
};

// Characters a raw line is made of: those that decide where QSettings ends a line.
const char* const kRawPieces[] = {"\"", ";", "\\", "a", " ", ",", "=", "@", "["};

TWritten WriteFile(Draw& draw) {
    const char* const groups[] = {"General",   "window", "look", "places",
                                  "bookmarks", "recent", "fuzz"};
    const std::string eol = draw.Next(4) == 0 ? "\r\n" : "\n";
    const auto spaces = [&] { return std::string(draw.Next(3) == 0 ? draw.Next(3) : 0, ' '); };
    TWritten w;
    std::vector<std::string> sections;
    int keys = 0;
    while (draw.More() && sections.size() < 12) {
        const unsigned g = draw.Next(std::size(groups));
        std::string text = std::string("[") + groups[g] + "]" + eol;
        for (unsigned n = draw.Next(5); n > 0; --n) {
            const std::string key = "k" + std::to_string(keys++);
            const QString full =
                g == 0 ? QString::fromStdString(key) : QString(groups[g]) + u'/' + key.c_str();
            QStringList items{Value(draw)};
            if (draw.Next(2) == 1)
                for (unsigned more = 1 + draw.Next(3); more > 0; --more) items.append(Value(draw));
            text += key + spaces() + "=" + spaces();
            for (qsizetype i = 0; i < items.size(); ++i)
                text += (i > 0 ? spaces() + "," + spaces() : std::string()) + Written(items[i]);
            text += spaces() + eol;
            if (items.size() == 1)
                w.strings.emplace(full, items.front());
            else
                w.lists.emplace(full, items);
            if (draw.Next(6) == 0) text += draw.Next(2) ? "; a \"comment" + eol : eol;
            if (draw.Next(5) == 0) {
                text += "raw" + std::to_string(keys++) + "=";
                for (unsigned r = 1 + draw.Next(6); r > 0; --r)
                    text += kRawPieces[draw.Next(std::size(kRawPieces))];
                text += eol;
                w.raw = true;
            }
        }
        sections.push_back(std::move(text));
    }
    for (const std::string& text : sections) w.bytes += text;
    if (w.bytes.ends_with(eol) && draw.Next(3) == 0) w.bytes.resize(w.bytes.size() - eol.size());
    return w;
}

void CheckWritten(const TSettingsFile& file, const TWritten& w) {
    for (const auto& [key, s] : w.strings)
        if (file.String(key, kHuge) != s) FuzzFailure("a written string did not come back");
    for (const auto& [key, items] : w.lists)
        if (file.List(key, kHuge, kHuge) != items) FuzzFailure("a written list did not come back");
}

// The generated file: its values come back, and again after a save of another key.
int RunWritten(const std::uint8_t* data, std::size_t size) {
    Draw draw(data, size);
    const TWritten w = WriteFile(draw);
    const auto path = folder() / "settings" / "orlenth.conf";
    std::ofstream(path, std::ios::binary)
        .write(w.bytes.data(), static_cast<std::streamsize>(w.bytes.size()));
    const QString name = QFile::decodeName(QByteArray(path.c_str()));
    const auto open = [&] { return Quietly([&] { return TSettingsFile::Open(name); }); };
    const auto bytesNow = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), {}};
    };
    auto file = open();
    if (!w.raw && !file->Writing()) FuzzFailure("a written file was not taken");
    if (!file->Writing()) return 0; // a raw line broke the file: the other mode's case
    CheckAgainstWholeParse(*open(), WholeParse(w.bytes));
    if (!w.raw) CheckWritten(*file, w);
    file->Set("probe/key", true);
    if (!Quietly([&] { return file->Save(); })) {
        if (!w.raw) FuzzFailure("a written file could not be saved");
        return 0;
    }
    auto again = open();
    if (!w.raw) CheckWritten(*again, w);
    if (again->Bool("probe/key") != true) FuzzFailure("the probe did not come back");
    CheckAgainstWholeParse(*open(), WholeParse(bytesNow()));
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QCoreApplication::setApplicationName(QStringLiteral("orlenth"));
    folder().HoldSettings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto dir = folder() / "settings";
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir);
    if (size > 0 && data[0] == 0xFF) return RunWritten(data + 1, size - 1);
    const auto path = dir / "orlenth.conf";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const QString name = QFile::decodeName(QByteArray(path.c_str()));

    auto file = Quietly([&] { return TSettingsFile::Open(name); });
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (file->Reading()) CheckAgainstWholeParse(*file, WholeParse(bytes));
    ReadEverything(*file);
    TFilePlaces places(*file);
    TBookmarks bookmarks(*file);
    TRecentList recent(*file);
    if (places.Count() > TFilePlaces::kMaxPlaces) FuzzFailure("too many places");
    if (bookmarks.All().size() > TBookmarks::kMaxBookmarks) FuzzFailure("too many bookmarks");
    if (recent.Paths().size() > TRecentList::kMaxRecent) FuzzFailure("too many recent paths");
    if (file->Reading() != file->Writing()) FuzzFailure("a store that reads must write");
    bool saved = false;
    if (file->Writing()) {
        file->Set("fuzz/probe", true);
        saved = Quietly([&] { return file->Save(); });
        if (saved != file->Writing()) FuzzFailure("Save and Writing disagree");
    }
    if (saved) {
        auto again = Quietly([&] { return TSettingsFile::Open(name); });
        if (!again->Reading()) FuzzFailure("what the store saved does not open");
        if (again->Bool("fuzz/probe") != true) FuzzFailure("the probe did not come back");
        if (TFilePlaces(*again).Count() != places.Count()) FuzzFailure("places changed");
        if (TBookmarks(*again).All().size() != bookmarks.All().size())
            FuzzFailure("bookmarks changed");
        if (TRecentList(*again).Paths() != recent.Paths()) FuzzFailure("recent list changed");
        // What the store holds (the file's values, the probe, the places that did not
        // read back removed) is what the file now gives.
        if (ReadEverything(*again) != ReadEverything(*file))
            FuzzFailure("the saved file reads back differently");
    } else if (!file->Reading()) {
        // A damaged store never writes over the file it could not read.
        file->Set("fuzz/probe", true);
        if (Quietly([&] { return file->Save(); })) FuzzFailure("a damaged store saved");
        std::ifstream in(path, std::ios::binary);
        const std::string now{std::istreambuf_iterator<char>(in), {}};
        if (now != std::string_view(reinterpret_cast<const char*>(data), size))
            FuzzFailure("a damaged store changed its file");
    }
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename() != "orlenth.conf") FuzzFailure("the store left a file behind");
    if (!std::filesystem::is_empty(folder() / "tmp")) FuzzFailure("a private copy was left");
    return 0;
}
