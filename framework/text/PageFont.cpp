#include "framework/text/PageFont.h"

namespace orlenth::text {

QString matchFaceName(const QString& storedFace) {
    if (storedFace == u"宋体" || storedFace == u"新宋体" || storedFace == u"SimSun" ||
        storedFace == u"NSimSun")
        return QStringLiteral("AR PL UMing CN");
    if (storedFace == u"楷体_GB2312" || storedFace == u"楷体" || storedFace == u"KaiTi" ||
        storedFace == u"KaiTi_GB2312")
        return QStringLiteral("AR PL UKai CN");
    return storedFace;
}

QFont pageFont(const QString& storedFace, int characterHeightPx) {
    QFont font(matchFaceName(storedFace));
    font.setPixelSize(characterHeightPx);
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}

} // namespace orlenth::text
