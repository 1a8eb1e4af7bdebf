#include "resource/TextEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace orlenth {

QString GbkToUnicode(std::string_view gbk, bool* ok) {
    QStringDecoder dec("GBK");
    const QString s = dec.decode(QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())));
    if (ok) {
        bool good = !dec.hasError();
        if (good) {
            bool back = false;
            good = UnicodeToGbk(s, &back) == gbk && back;
        }
        *ok = good;
    }
    return s;
}

std::string UnicodeToGbk(const QString& text, bool* ok) {
    QStringEncoder enc("GBK");
    const QByteArray b = enc.encode(text);
    if (ok) *ok = !enc.hasError();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

} // namespace orlenth
