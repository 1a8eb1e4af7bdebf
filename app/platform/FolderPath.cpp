#include "app/platform/FolderPath.h"

namespace orlenth::platform {

namespace {

constexpr std::string_view::size_type kNone = std::string_view::npos;

// Scanning from the front is the only way to know which bytes are second bytes of a
// double-byte character; scanning backwards cannot tell a trail byte from a lead byte.
std::string_view::size_type LastSeparator(std::string_view s, PathStyle style) {
    if (style == PathStyle::Posix) return s.rfind('/');
    auto last = kNone;
    for (std::string_view::size_type i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b >= 0x81 && b <= 0xFE) {
            ++i;
            continue;
        }
        if (b == '\\' || b == ':') last = i;
    }
    return last;
}

} // namespace

std::string FolderPathOf(std::string_view argument, PathStyle style) {
    const auto sep = LastSeparator(argument, style);
    if (sep == kNone) return {};
    return std::string(argument.substr(0, sep + 1));
}

std::string FolderTabName(std::string_view folderPath, PathStyle style) {
    if (style == PathStyle::Windows) {
        if (folderPath.size() <= 3) return std::string(folderPath);
        const std::string_view rest = folderPath.substr(0, folderPath.size() - 1);
        const auto sep = LastSeparator(rest, style);
        return std::string(sep == kNone ? rest : rest.substr(sep + 1));
    }
    const auto end = folderPath.find_last_not_of('/');
    if (end == kNone) return std::string(folderPath);
    const std::string_view rest = folderPath.substr(0, end + 1);
    const auto sep = rest.rfind('/');
    return std::string(sep == kNone ? rest : rest.substr(sep + 1));
}

std::string ResolveAgainst(std::string_view argument, std::string_view workingDirectory) {
    if (argument.empty() || argument.front() == '/' || workingDirectory.empty())
        return std::string(argument);
    std::string path(workingDirectory);
    if (path.back() != '/') path += '/';
    path += argument;
    return path;
}

FolderTarget SplitFolderTarget(std::string_view path, bool namesFolder) {
    if (path.empty()) return {};
    if (namesFolder) {
        std::string folder(path);
        if (folder.back() != '/') folder += '/';
        return {std::move(folder), {}};
    }
    std::string folder = FolderPathOf(path, PathStyle::Posix);
    std::string file(path.substr(folder.size()));
    if (folder.empty()) folder = "./";
    return {std::move(folder), std::move(file)};
}

bool EndsInDotName(std::string_view folderPath) {
    const auto end = folderPath.find_last_not_of('/');
    if (end == kNone) return false;
    const std::string_view rest = folderPath.substr(0, end + 1);
    const auto sep = rest.rfind('/');
    const std::string_view name = sep == kNone ? rest : rest.substr(sep + 1);
    return name == "." || name == "..";
}

} // namespace orlenth::platform
