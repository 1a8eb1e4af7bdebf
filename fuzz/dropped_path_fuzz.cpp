// What a drop names, on an arbitrary URL list as another program could hand it over. A
// path comes back only from a file: URL (so never from input without that scheme), and is
// never empty (an empty name would open the working directory) nor cut short by a NUL.

#include "FuzzTarget.h"

#include "app/platform/DroppedPath.h"

#include <QByteArray>
#include <QMimeData>
#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray list(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QMimeData drop;
    drop.setData(QStringLiteral("text/uri-list"), list);
    const std::optional<std::string> path = orlenth::platform::DroppedPath(drop);
    if (!path) return 0;
    if (path->empty()) FuzzFailure("an empty path from a drop");
    if (path->find('\0') != std::string::npos) FuzzFailure("a path from a drop with a NUL byte");
    if (!list.toLower().contains("file:"))
        FuzzFailure("a path from a drop that names no file: URL");
    return 0;
}
