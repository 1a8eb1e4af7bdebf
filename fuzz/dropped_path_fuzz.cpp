// What a drop names. On an arbitrary URL list as another program could hand it over, a path
// comes back only from a file: URL (so never from input without that scheme), and is never
// empty (an empty name would open the working directory) nor cut short by a NUL. On a list
// built here from the same bytes (file: URLs with and without a host, http: URLs, paths of
// plain characters and percent escapes of any byte), the path is the first file: URL's
// path decoded byte for byte, the host before it, passing over paths that decode to a NUL.

#include "FuzzTarget.h"

#include "app/platform/DroppedPath.h"

#include <QByteArray>
#include <QMimeData>
#include <QString>

#include <optional>
#include <string>

namespace {

std::optional<std::string> PathOf(const QByteArray& list) {
    QMimeData drop;
    drop.setData(QStringLiteral("text/uri-list"), list);
    return orlenth::platform::DroppedPath(drop);
}

// A URL list written from `data`, and the path a drop of it names.
struct BuiltList {
    QByteArray list;
    std::optional<std::string> path;
};

BuiltList Build(const std::uint8_t* data, std::size_t size) {
    static constexpr char kPlain[] = "abcXYZ019._-~/";
    BuiltList built;
    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t head = data[at++];
        const int kind = head % 3; // file:, file: with a host, http:
        std::string path = "/";
        QByteArray url = kind == 0 ? "file:///" : kind == 1 ? "file://host7/" : "http://host7/";
        for (std::size_t n = head / 3 % 24; n > 0 && at < size; --n) {
            const std::uint8_t b = data[at++];
            if (b < 0xC0) {
                const char c = kPlain[b % (sizeof kPlain - 1)];
                url += c;
                path += c;
            } else {
                // An escape of any byte, the next one's value.
                const std::uint8_t e = at < size ? data[at++] : 0;
                url += '%';
                url += QByteArray::number(e >> 4, 16).toUpper();
                url += QByteArray::number(e & 15, 16);
                path += static_cast<char>(e);
            }
        }
        built.list += url + "\r\n";
        if (kind < 2 && !built.path && path.find('\0') == std::string::npos)
            built.path = (kind == 1 ? "//host7" : "") + path;
    }
    return built;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray list(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const std::optional<std::string> path = PathOf(list)) {
        if (path->empty()) FuzzFailure("an empty path from a drop");
        if (path->find('\0') != std::string::npos)
            FuzzFailure("a path from a drop with a NUL byte");
        if (!list.toLower().contains("file:"))
            FuzzFailure("a path from a drop that names no file: URL");
    }

    const BuiltList built = Build(data, size);
    if (PathOf(built.list) != built.path)
        FuzzFailure("a drop's path is not its first file: URL's path, decoded");
    return 0;
}
