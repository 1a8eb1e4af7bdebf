// The command line's folder argument, its tab name and the folder listing's order, on
// arbitrary bytes (the first byte picks the path style; for the order, the rest is names,
// one a line). The folder path is the argument up to its last separator, found here walking
// the characters afresh: a prefix ending in a separator, with none left after it. The tab
// name is the last name of the folder path, found as simply. Sorting keeps every name once
// and gives one order whatever order the names came in; the same names written in a small
// alphabet (a to e, digits, '.') sort as a reader counts: '.' before digits before letters,
// runs of digits by their value, names alike so far by their bytes.

#include "FuzzTarget.h"

#include "app/platform/FolderListing.h"
#include "app/platform/FolderPath.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

using orlenth::platform::PathStyle;

// Which bytes of `s` start a character: under the Windows style a lead byte 0x81..0xFE
// takes the byte after it, which is never a separator then.
std::vector<bool> CharacterStarts(std::string_view s, PathStyle style) {
    std::vector<bool> starts(s.size(), true);
    if (style == PathStyle::Windows)
        for (std::size_t i = 0; i + 1 < s.size(); ++i)
            if (starts[i] && static_cast<std::uint8_t>(s[i]) >= 0x81 &&
                static_cast<std::uint8_t>(s[i]) <= 0xFE)
                starts[i + 1] = false;
    return starts;
}

bool IsSeparator(char c, PathStyle style) {
    return c == '/' ? style == PathStyle::Posix
                    : style == PathStyle::Windows && (c == '\\' || c == ':');
}

// One past the last separator of `s`, or 0.
std::size_t AfterLastSeparator(std::string_view s, PathStyle style) {
    const std::vector<bool> starts = CharacterStarts(s, style);
    for (std::size_t i = s.size(); i > 0; --i)
        if (starts[i - 1] && IsSeparator(s[i - 1], style)) return i;
    return 0;
}

std::string ExpectedTabName(std::string_view folder, PathStyle style) {
    if (style == PathStyle::Windows) {
        if (folder.size() <= 3) return std::string(folder);
        folder.remove_suffix(1);
        return std::string(folder.substr(AfterLastSeparator(folder, style)));
    }
    std::string_view rest = folder;
    while (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    if (rest.empty()) return std::string(folder);
    return std::string(rest.substr(AfterLastSeparator(rest, style)));
}

void CheckPathRules(std::string_view arg, PathStyle style) {
    const std::string folder = orlenth::platform::FolderPathOf(arg, style);
    if (folder != arg.substr(0, AfterLastSeparator(arg, style)))
        FuzzFailure("the folder path is not the argument up to its last separator");
    if (orlenth::platform::FolderTabName(folder, style) != ExpectedTabName(folder, style))
        FuzzFailure("the tab name is not the folder's last name");
    if (orlenth::platform::FolderTabName(arg, style) != ExpectedTabName(arg, style))
        FuzzFailure("the tab name of the argument is not its last name");
}

// A name of the small alphabet as the reader counts it: '.' (0), a run of digits (1, its
// value) or a letter (2, the letter).
using Token = std::tuple<int, std::uint64_t>;

std::vector<Token> Tokens(std::string_view name) {
    std::vector<Token> out;
    for (std::size_t i = 0; i < name.size();) {
        if (name[i] == '.') {
            out.emplace_back(0, 0);
            ++i;
        } else if (name[i] >= '0' && name[i] <= '9') {
            std::uint64_t value = 0;
            for (; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i)
                value = value * 10 + static_cast<std::uint64_t>(name[i] - '0');
            out.emplace_back(1, value);
        } else {
            out.emplace_back(2, static_cast<std::uint8_t>(name[i++]));
        }
    }
    return out;
}

bool ReadsBefore(const std::string& a, const std::string& b) {
    const std::vector<Token> ta = Tokens(a), tb = Tokens(b);
    return ta != tb ? ta < tb : a < b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const PathStyle style = data[0] & 1 ? PathStyle::Windows : PathStyle::Posix;
    const std::string_view arg(reinterpret_cast<const char*>(data + 1), size - 1);
    CheckPathRules(arg, style);

    std::vector<std::string> names;
    for (std::size_t at = 0; at <= arg.size() && names.size() < 64;) {
        const std::size_t end = std::min(arg.find('\n', at), arg.size());
        names.emplace_back(arg.substr(at, end - at));
        at = end + 1;
    }
    std::vector<std::string> sorted = names;
    orlenth::platform::SortForReading(sorted);
    std::vector<std::string> reversed(names.rbegin(), names.rend());
    orlenth::platform::SortForReading(reversed);
    if (sorted != reversed) FuzzFailure("the reading order depends on the order names came in");
    std::vector<std::string> a = names, b = sorted;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b) FuzzFailure("sorting for reading lost or made up a name");

    // The same names in the small alphabet, at most twelve bytes (so a run of digits fits a
    // 64-bit value), sorted by the reader and by the count above.
    static constexpr std::string_view kAlphabet = "abcde0123456789.";
    std::vector<std::string> small;
    for (const std::string& name : names) {
        std::string s;
        for (std::size_t i = 0; i < name.size() && i < 12; ++i)
            s += kAlphabet[static_cast<std::uint8_t>(name[i]) % kAlphabet.size()];
        small.push_back(std::move(s));
    }
    std::vector<std::string> expected = small;
    std::sort(expected.begin(), expected.end(), ReadsBefore);
    orlenth::platform::SortForReading(small);
    if (small != expected) FuzzFailure("names not in reading order");
    return 0;
}
