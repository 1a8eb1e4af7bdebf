#include "framework/ui/CommonDialogs.h"

#include "framework/text/PageFont.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/ShortCut.h"

#include <QFontInfo>
#include <QGuiApplication>

#include <array>
#include <cmath>

namespace orlenth {

namespace {

// The stored names whose faces are installed under other names.
const std::array<QString, 2> kChineseFaces{QStringLiteral("宋体"), QStringLiteral("楷体_GB2312")};

bool sameFace(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The face that draws a stored name: the page's match for it, or whatever the platform puts
// in its place.
QString drawnFace(const QString& storedName) {
    return QFontInfo(text::pageFont(storedName, 16)).family();
}

QByteArray gbkOf(const QString& text) {
    const std::string gbk = UnicodeToGbk(text);
    return QByteArray(gbk.data(), static_cast<qsizetype>(gbk.size()));
}

} // namespace

QByteArray StoredFaceName(const QString& chosenFace, const QByteArray& current) {
    // The face that draws the current name keeps that name: an untouched choice, or the face
    // chosen under its own name.
    const QString currentName = GbkToUnicode(
        std::string_view(current.constData(), static_cast<std::size_t>(current.size())));
    if (!current.isEmpty() &&
        (sameFace(chosenFace, currentName) || sameFace(chosenFace, drawnFace(currentName))))
        return current;
    // The face the page matches to a stored name is that name, as the descriptions give it.
    for (const QString& name : kChineseFaces)
        if (sameFace(chosenFace, name) || sameFace(chosenFace, text::matchFaceName(name)))
            return gbkOf(name);
    // Any other face, another Song or Kai face among them, by its own name: it is the one
    // that draws.
    return gbkOf(chosenFace);
}

TFontDialog::TFontDialog(TComponent* owner) : TComponent(owner) {}

bool TFontDialog::Execute() {
    QFont font = font_.ToQFont();
    const int offeredPoints = std::max(1, font_.SizeInPoints());
    font.setPointSize(offeredPoints);
    const QColor offeredColor = ToQColor(font_.Color(), QGuiApplication::palette());
    QColor color = offeredColor;
    if (!Dialogs().ChooseFont(font, color, WindowWidgetOf(*this))) return false;

    font_.SetName(StoredFaceName(font.family(), font_.Name()));
    if (font.pointSizeF() > 0) {
        // Whole points do not hold every pixel height: an untouched size keeps its height.
        if (font.pointSizeF() != static_cast<qreal>(offeredPoints))
            font_.SetHeight(-static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0)));
    } else if (font.pixelSize() > 0) {
        font_.SetHeight(-font.pixelSize());
    }
    TFont::TFontStyles style;
    style.setFlag(TFont::fsBold, font.bold());
    style.setFlag(TFont::fsItalic, font.italic());
    style.setFlag(TFont::fsUnderline, font.underline());
    style.setFlag(TFont::fsStrikeOut, font.strikeOut());
    font_.SetStyle(style);
    if (color.rgb() != offeredColor.rgb()) font_.SetColor(FromQColor(color));
    return true;
}

TColorDialog::TColorDialog(TComponent* owner) : TComponent(owner) {}

bool TColorDialog::Execute() {
    const QColor offered = ToQColor(color_, QGuiApplication::palette());
    QColor color = offered;
    if (!Dialogs().ChooseColor(color, WindowWidgetOf(*this))) return false;
    if (color.rgb() != offered.rgb()) color_ = FromQColor(color);
    return true;
}

} // namespace orlenth
