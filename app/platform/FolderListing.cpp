#include "app/platform/FolderListing.h"

#include "app/platform/DisplayName.h"

#include <QCollator>
#include <QLocale>

#include <dirent.h>

#include <algorithm>

#include <memory>
#include <string_view>

namespace orlenth::platform {

namespace {

bool HasTextSuffix(std::string_view name) {
    constexpr std::string_view kSuffix = ".txt";
    if (name.size() < kSuffix.size()) return false;
    const std::string_view tail = name.substr(name.size() - kSuffix.size());
    for (std::size_t i = 0; i < kSuffix.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kSuffix[i]) return false;
    }
    return true;
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

} // namespace

void SortForReading(std::vector<std::string>& names) {
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    collator.setNumericMode(true);
    // One key per name, not one conversion per comparison: a folder may hold thousands.
    struct Keyed {
        QCollatorSortKey key;
        std::string name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (std::string& n : names) keyed.push_back({collator.sortKey(DisplayName(n)), std::move(n)});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::move(keyed[i].name);
}

std::vector<std::string> ListTextEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (folder.empty()) return names;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return names;
    // A read error part-way (the folder removed under us) ends the listing with what was
    // found; the caller treats the listing as a snapshot anyway.
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string_view name(e->d_name);
        if (HasTextSuffix(name)) names.emplace_back(name);
    }
    SortForReading(names);
    return names;
}

} // namespace orlenth::platform
