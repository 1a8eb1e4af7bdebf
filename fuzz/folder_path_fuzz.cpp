// The command line's folder argument, its tab name and the folder listing's order, on
// arbitrary bytes (the first byte picks the path style; for the order, the rest is names,
// one a line). What they give lies inside what they were given: the folder path and the
// tab name are pieces of their input, no longer than it, and sorting keeps every name once
// and gives one order whatever order the names came in.

#include "FuzzTarget.h"

#include "app/platform/FolderListing.h"
#include "app/platform/FolderPath.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace {

using orlenth::platform::PathStyle;

bool inside(std::string_view piece, std::string_view whole) {
    return piece.size() <= whole.size() && whole.find(piece) != std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const PathStyle style = data[0] & 1 ? PathStyle::Windows : PathStyle::Posix;
    const std::string_view arg(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::string folder = orlenth::platform::FolderPathOf(arg, style);
    if (!inside(folder, arg)) FuzzFailure("a folder path that is no piece of its argument");
    const std::string tab = orlenth::platform::FolderTabName(folder, style);
    if (!inside(tab, folder)) FuzzFailure("a tab name that is no piece of its folder path");
    if (!inside(orlenth::platform::FolderTabName(arg, style), arg))
        FuzzFailure("a tab name that is no piece of its argument");

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
    return 0;
}
