#include "app/platform/DisplayName.h"

#include <QStringDecoder>

namespace orlenth::platform {

QString DisplayName(std::string_view bytes) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    // Stateless: a name cut short is an error here, not the start of the next call.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString shown = utf8.decode(view);
    if (!utf8.hasError()) return shown;
    QStringDecoder gb18030("GB18030", QStringDecoder::Flag::Stateless);
    if (gb18030.isValid()) {
        QString decoded = gb18030.decode(view);
        if (!gb18030.hasError()) return decoded;
    }
    return shown;
}

} // namespace orlenth::platform
