#include "app/platform/DroppedPath.h"

#include <QByteArray>
#include <QMimeData>
#include <QUrl>

namespace orlenth::platform {

std::optional<std::string> DroppedPath(const QMimeData& data) {
    if (!data.hasUrls()) return std::nullopt;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) continue;
        // The escapes are decoded by hand, not through toLocalFile(): that reads them as
        // UTF-8 and turns every byte of a name that is not UTF-8 into U+FFFD, a name no file
        // has. For UTF-8 names both give the same bytes.
        QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        const QString host = url.host(QUrl::FullyEncoded);
        if (!host.isEmpty())
            path.prepend((QStringLiteral("//") + host).toUtf8() +
                         (path.startsWith('/') ? QByteArray() : QByteArray("/")));
        // A NUL byte would cut the name short wherever it is opened: it names no file.
        if (path.isEmpty() || path.contains('\0')) continue;
        return path.toStdString();
    }
    return std::nullopt;
}

} // namespace orlenth::platform
