#include "resource/DescriptionTextPaths.h"

#include <algorithm>
#include <system_error>

namespace orlenth {

bool IsSafeFileName(std::string_view name) {
    if (name.empty() || name.size() > kMaxFileNameBytes || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c < 0x20 || c == 0x7F || c == '/' || c == '\\';
    });
}

std::optional<std::filesystem::path> ResolveInside(const std::filesystem::path& root,
                                                   const std::filesystem::path& base,
                                                   const std::filesystem::path& path) {
    if (path.empty() || path.is_absolute() || path.has_root_name()) return std::nullopt;
    std::error_code ec;
    const std::filesystem::path top = std::filesystem::weakly_canonical(root, ec);
    if (ec) return std::nullopt;
    const std::filesystem::path target = std::filesystem::weakly_canonical(base / path, ec);
    if (ec) return std::nullopt;
    // Component by component, so that "/a/bc" is not taken to lie inside "/a/b".
    auto t = target.begin();
    for (auto r = top.begin(); r != top.end(); ++r, ++t) {
        if (r->empty()) continue; // the trailing "" of a root given with a final '/'
        if (t == target.end() || *t != *r) return std::nullopt;
    }
    return target;
}

} // namespace orlenth
