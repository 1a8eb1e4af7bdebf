// A settings file as the reader opens it at start-up: written into a folder of its own,
// opened, and read through every getter and the places, bookmarks and recent list. What
// the getters give stays inside their bounds; a file the store accepts can be saved over
// (or the store says why not), and what was saved reads back the same.

#include "FuzzFolder.h"
#include "FuzzTarget.h"

#include "app/settings/Bookmarks.h"
#include "app/settings/FilePlaces.h"
#include "app/settings/RecentList.h"
#include "app/settings/SettingsFile.h"

#include <QCoreApplication>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
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

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QCoreApplication::setApplicationName(QStringLiteral("orlenth"));
    // The store's private copies, and any default path, stay inside the fuzz folder.
    std::filesystem::create_directories(folder() / "tmp");
    ::setenv("TMPDIR", (folder() / "tmp").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder().path().c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto dir = folder() / "settings";
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir);
    const auto path = dir / "orlenth.conf";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const QString name = QFile::decodeName(QByteArray(path.c_str()));

    auto file = Quietly([&] { return TSettingsFile::Open(name); });
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
