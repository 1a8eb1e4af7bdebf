#pragma once
// The font and colour dialogs a window keeps among its components: each holds the value
// the user starts from and gets back, and runs the choice through the dialog seam.

#include "framework/Component.h"
#include "framework/ui/Font.h"

namespace orlenth {

class TFontDialog : public TComponent {
    Q_OBJECT
public:
    enum TFontDialogDevice { fdScreen, fdPrinter, fdBoth };
    Q_ENUM(TFontDialogDevice)
    enum TFontDialogOption {
        fdAnsiOnly = 0x1,
        fdTrueTypeOnly = 0x2,
        fdEffects = 0x4,
        fdFixedPitchOnly = 0x8,
        fdForceFontExist = 0x10,
        fdNoFaceSel = 0x20,
        fdNoOEMFonts = 0x40,
        fdNoSimulations = 0x80,
        fdNoSizeSel = 0x100,
        fdNoStyleSel = 0x200,
        fdNoVectorFonts = 0x400,
        fdShowHelp = 0x800,
        fdWysiwyg = 0x1000,
        fdLimitSize = 0x2000,
        fdScalableOnly = 0x4000,
        fdApplyButton = 0x8000,
    };
    Q_DECLARE_FLAGS(TFontDialogOptions, TFontDialogOption)
    Q_FLAG(TFontDialogOptions)

    Q_PROPERTY(orlenth::TFont* Font READ Font)
    Q_PROPERTY(TFontDialogDevice Device READ Device WRITE SetDevice)
    Q_PROPERTY(int MinFontSize READ MinFontSize WRITE SetMinFontSize)
    Q_PROPERTY(int MaxFontSize READ MaxFontSize WRITE SetMaxFontSize)
    Q_PROPERTY(TFontDialogOptions Options READ Options WRITE SetOptions)
    Q_CLASSINFO("Default.Device", "fdScreen")
    Q_CLASSINFO("Default.MinFontSize", "0")
    Q_CLASSINFO("Default.MaxFontSize", "0")
    Q_CLASSINFO("Default.Options", "fdEffects")

public:
    Q_INVOKABLE explicit TFontDialog(TComponent* owner = nullptr);

    TFont* Font() { return &font_; }
    TFontDialogDevice Device() const { return device_; }
    void SetDevice(TFontDialogDevice d) { device_ = d; }
    // Kept for the description; sizes are not limited.
    int MinFontSize() const { return minFontSize_; }
    void SetMinFontSize(int s) { minFontSize_ = s; }
    int MaxFontSize() const { return maxFontSize_; }
    void SetMaxFontSize(int s) { maxFontSize_ = s; }
    TFontDialogOptions Options() const { return options_; }
    void SetOptions(TFontDialogOptions o) { options_ = o; }

    // Offers Font() through the seam's ChooseFont, in whole points, owned by the window
    // the dialog belongs to. On confirmation Font() takes the choice: the face as GBK, by
    // the name StoredFaceName gives it, the size as a negative pixel height at
    // 96 pixels per inch (a size left as offered keeps the height it came from), the
    // style and the colour (a colour left as offered keeps a system colour). Returns
    // whether the user confirmed; a cancel changes nothing.
    bool Execute();

private:
    TFont font_;
    TFontDialogDevice device_ = fdScreen;
    int minFontSize_ = 0, maxFontSize_ = 0;
    TFontDialogOptions options_ = fdEffects;
};

class TColorDialog : public TComponent {
    Q_OBJECT
public:
    enum TColorDialogOption {
        cdFullOpen = 0x1,
        cdPreventFullOpen = 0x2,
        cdShowHelp = 0x4,
        cdSolidColor = 0x8,
        cdAnyColor = 0x10,
    };
    Q_DECLARE_FLAGS(TColorDialogOptions, TColorDialogOption)
    Q_FLAG(TColorDialogOptions)

    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(TColorDialogOptions Options READ Options WRITE SetOptions)
    Q_CLASSINFO("Default.Color", "0")
    Q_CLASSINFO("Idents.Color", "TColor")

public:
    Q_INVOKABLE explicit TColorDialog(TComponent* owner = nullptr);

    // The colour as stored (0x00BBGGRR, or a system colour).
    int Color() const { return color_; }
    void SetColor(int c) { color_ = c; }
    TColorDialogOptions Options() const { return options_; }
    void SetOptions(TColorDialogOptions o) { options_ = o; }

    // Offers Color() through the seam's ChooseColor; on confirmation Color() is the
    // choice as 0x00BBGGRR (a colour left as offered keeps a system colour). Returns
    // whether the user confirmed; a cancel changes nothing.
    bool Execute();

private:
    int color_ = 0;
    TColorDialogOptions options_;
};

// The stored face name for a face chosen in a font dialog: `current` (GBK) when the face is
// that name or the face that draws it; "宋体" or "楷体_GB2312" for the faces the page draws
// those names with (text::matchFaceName); otherwise the face's own name in GBK, so that the
// chosen face is the one that draws and a dialog opened again shows it. A face that is
// merely a fallback of a stored name (another Song face for "宋体") keeps its own name.
QByteArray StoredFaceName(const QString& chosenFace, const QByteArray& current);

} // namespace orlenth

Q_DECLARE_OPERATORS_FOR_FLAGS(orlenth::TFontDialog::TFontDialogOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(orlenth::TColorDialog::TColorDialogOptions)
