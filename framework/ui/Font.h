#pragma once
// A font as stored descriptions give it (name in GBK, character height in pixels as a
// negative number, character set, colour, style) and the QFont it stands for.

#include "framework/Persistent.h"
#include "framework/ui/Colors.h"

#include <QByteArray>
#include <QFont>

namespace orlenth {

class TFont : public TPersistent {
    Q_OBJECT
public:
    enum TFontCharset { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, GB2312_CHARSET = 134 };
    Q_ENUM(TFontCharset)
    enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
    Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
    Q_FLAG(TFontStyles)

    Q_PROPERTY(TFontCharset Charset READ Charset WRITE SetCharset)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(QByteArray Name READ Name WRITE SetName)
    Q_PROPERTY(TFontStyles Style READ Style WRITE SetStyle)
    Q_CLASSINFO("Idents.Color", "TColor")

public:
    explicit TFont(QObject* parent = nullptr);

    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset c);
    int Color() const { return color_; }
    void SetColor(int c);
    // Negative: the character height in pixels; positive: the cell height.
    int Height() const { return height_; }
    void SetHeight(int h);
    // The face name as GBK bytes.
    QByteArray Name() const { return name_; }
    void SetName(const QByteArray& n);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles s);

    // Whole points at 96 pixels per inch, as a font dialog shows them.
    int SizeInPoints() const;
    // The font for captions and controls: the stored face name as it is, left to the
    // substitutions below.
    QFont ToQFont() const;
    // The font the reading page draws with and the wrap engine measures with: the face
    // matched by text::pageFont, the character height as pixel size (a positive, cell
    // height is taken as it is), and the style. Both take it from here and nowhere else.
    QFont PageFont() const;
    // Copies another font's properties (one Changed); anything else is EConvertError.
    void Assign(const TPersistent* source) override;

signals:
    // Emitted by every setter and by Assign, whether or not the value differs.
    void Changed();

private:
    TFontCharset charset_ = DEFAULT_CHARSET;
    int color_ = kSystemColor | 8; // the window-text colour
    int height_ = -11;
    QByteArray name_ = "MS Sans Serif";
    TFontStyles style_;
};

// Maps the face names of the stored descriptions to fonts this platform has ("宋体" to
// a Song face, "楷体_GB2312" to a Kai face, "MS Sans Serif" to a sans face), so that the
// descriptions keep their names. Run once at start-up, before any window is built.
void InstallFontSubstitutions();

} // namespace orlenth
