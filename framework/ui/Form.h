#pragma once
// A window built from its stored description: caption, client size, border style and
// width, colour, font, placement, and the window's own events.

#include "framework/ui/Control.h"
#include "framework/ui/Font.h"

namespace orlenth {

class TCustomForm : public TWinControl {
    Q_OBJECT
public:
    enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
    Q_ENUM(TFormBorderStyle)
    enum TBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
    Q_DECLARE_FLAGS(TBorderIcons, TBorderIcon)
    Q_FLAG(TBorderIcons)
    enum TPosition {
        poDesigned,
        poDefault,
        poDefaultPosOnly,
        poDefaultSizeOnly,
        poScreenCenter,
        poDesktopCenter,
        poMainFormCenter,
        poOwnerFormCenter
    };
    Q_ENUM(TPosition)
    enum TDefaultMonitor { dmDesktop, dmPrimary, dmMainForm, dmActiveForm };
    Q_ENUM(TDefaultMonitor)
    // What closing does with the window, as the close handler decides.
    enum TCloseAction { caNone, caHide, caFree, caMinimize };
    Q_ENUM(TCloseAction)
    // The result a modal showing ends with.
    enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

    Q_PROPERTY(int ClientWidth READ ClientWidth WRITE SetClientWidth STORED false)
    Q_PROPERTY(int ClientHeight READ ClientHeight WRITE SetClientHeight STORED false)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(TBorderIcons BorderIcons READ BorderIcons WRITE SetBorderIcons)
    Q_PROPERTY(TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(QByteArray Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(TDefaultMonitor DefaultMonitor READ DefaultMonitor WRITE SetDefaultMonitor)
    Q_PROPERTY(orlenth::TFont* Font READ Font)
    Q_PROPERTY(bool OldCreateOrder MEMBER oldCreateOrder_)
    Q_PROPERTY(TPosition Position READ Position WRITE SetPosition)
    Q_PROPERTY(bool Scaled MEMBER scaled_)
    Q_PROPERTY(int PixelsPerInch MEMBER pixelsPerInch_)
    Q_PROPERTY(int TextHeight MEMBER textHeight_)
    Q_CLASSINFO("Idents.Color", "TColor")
    Q_CLASSINFO("Event.OnCreate", "")
    Q_CLASSINFO("Event.OnClose", "orlenth::TComponent*,orlenth::TCustomForm::TCloseAction&")
    Q_CLASSINFO("Event.OnKeyPress", "orlenth::TComponent*,char&")
    Q_CLASSINFO("Event.OnShow", "")

public:
    explicit TCustomForm(TComponent* owner = nullptr);

    // The client area: the window less its frame, the border band included.
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientWidth(int w);
    void SetClientHeight(int h);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool a) { autoSize_ = a; }
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons i) { borderIcons_ = i; }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle s);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int w);
    QByteArray Caption() const { return caption_; }
    void SetCaption(const QByteArray& c);
    int Color() const { return color_; }
    void SetColor(int c);
    TDefaultMonitor DefaultMonitor() const { return defaultMonitor_; }
    void SetDefaultMonitor(TDefaultMonitor m) { defaultMonitor_ = m; }
    TFont* Font() { return &font_; }
    TPosition Position() const { return position_; }
    void SetPosition(TPosition p) { position_ = p; }

    // Children's bounds are client coordinates: the client area starts inside the border
    // band, so a child at 0, 0 sits BorderWidth in from the window's edges.
    QRect AlignArea() const override;
    void PlaceChild(TControl& child) override;
    void Loaded() override;

    // Shows the window by its Position (centred on the desktop, or over the main window)
    // and returns when it has been closed, with its modal result (mrCancel when closing
    // set none). The window is hidden, not destroyed: its creator destroys it.
    int ShowModal();
    // Shows the window without a modal loop.
    void Show();
    // Asks the window to close: the close handler (OnClose, with the sender and a
    // TCloseAction& starting at caHide) may refuse with caNone; otherwise the window
    // hides, which ends a modal showing. Calling it again once closed does nothing.
    void Close();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int r) { modalResult_ = r; }
    // The window the program's other windows centre on; set by the program entry.
    static void SetMainForm(TCustomForm* form);
    static TCustomForm* MainForm();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The frame a sizeable or single window adds around its client area at design time.
    QSize FrameExtra() const;
    void PlaceByPosition();
    // Runs the close handler; false when it refused.
    bool QueryClose();

    TFont font_;
    QByteArray caption_;
    TBorderIcons borderIcons_ = TBorderIcons(biSystemMenu | biMinimize | biMaximize);
    TFormBorderStyle borderStyle_ = bsSizeable;
    TPosition position_ = poDesigned;
    TDefaultMonitor defaultMonitor_ = dmActiveForm;
    int borderWidth_ = 0;
    int color_ = kSystemColor | 15; // the button face
    bool autoSize_ = false, oldCreateOrder_ = false, scaled_ = true;
    int pixelsPerInch_ = 96, textHeight_ = 13;
    int modalResult_ = mrNone;
    bool closing_ = false;
};

} // namespace orlenth
