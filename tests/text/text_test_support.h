#pragma once

#include "framework/text/PageFont.h"

#include <QFont>
#include <QStringEncoder>

#include <string>

namespace orlenth::text::testing {

// The page's default font: 宋体 at a character height of 14 pixels.
inline QFont defaultPageFont() {
    return pageFont(QStringLiteral("宋体"), 14);
}

inline std::string toGbk(const QString& s) {
    QStringEncoder encoder("GB18030");
    const QByteArray bytes = encoder(s);
    return bytes.toStdString();
}

} // namespace orlenth::text::testing
