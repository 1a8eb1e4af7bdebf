#include "framework/ui/Font.h"

#include "framework/text/PageFont.h"
#include "framework/text/TextEncoding.h"

#include <QFontDatabase>

#include <cmath>

namespace orlenth {

TFont::TFont(QObject* parent) : TPersistent(parent) {}

void TFont::SetCharset(TFontCharset c) {
    charset_ = c;
    emit Changed();
}

void TFont::SetColor(int c) {
    color_ = c;
    emit Changed();
}

void TFont::SetHeight(int h) {
    height_ = h;
    emit Changed();
}

void TFont::SetName(const QByteArray& n) {
    name_ = n;
    emit Changed();
}

void TFont::SetStyle(TFontStyles s) {
    style_ = s;
    emit Changed();
}

int TFont::SizeInPoints() const {
    // At 96 pixels per inch a point is 4/3 pixels; the character height is what a
    // negative height gives, a positive one includes the internal leading we cannot know.
    const int px = height_ < 0 ? -height_ : height_;
    return static_cast<int>(std::lround(px * 72.0 / 96.0));
}

QFont TFont::ToQFont() const {
    QFont f(
        GbkToUnicode(std::string_view(name_.constData(), static_cast<std::size_t>(name_.size()))));
    f.setPixelSize(std::max(1, height_ < 0 ? -height_ : height_));
    f.setBold(style_.testFlag(fsBold));
    f.setItalic(style_.testFlag(fsItalic));
    f.setUnderline(style_.testFlag(fsUnderline));
    f.setStrikeOut(style_.testFlag(fsStrikeOut));
    return f;
}

QFont TFont::PageFont() const {
    QFont f = text::pageFont(
        GbkToUnicode(std::string_view(name_.constData(), static_cast<std::size_t>(name_.size()))),
        std::max(1, height_ < 0 ? -height_ : height_));
    f.setBold(style_.testFlag(fsBold));
    f.setItalic(style_.testFlag(fsItalic));
    f.setUnderline(style_.testFlag(fsUnderline));
    f.setStrikeOut(style_.testFlag(fsStrikeOut));
    return f;
}

void TFont::Assign(const TPersistent* source) {
    if (const auto* f = qobject_cast<const TFont*>(source)) {
        charset_ = f->charset_;
        color_ = f->color_;
        height_ = f->height_;
        name_ = f->name_;
        style_ = f->style_;
        emit Changed();
        return;
    }
    TPersistent::Assign(source);
}

void InstallFontSubstitutions() {
    QFont::insertSubstitutions(QString::fromUtf8("宋体"),
                               {"AR PL UMing CN", "AR PL UMing TW", "Noto Serif CJK SC"});
    QFont::insertSubstitutions(QString::fromUtf8("楷体_GB2312"),
                               {"AR PL UKai CN", "AR PL UKai TW", "AR PL UMing CN"});
    QFont::insertSubstitutions("MS Sans Serif", {"DejaVu Sans", "Liberation Sans", "Sans Serif"});
}

} // namespace orlenth
