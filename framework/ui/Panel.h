#pragma once
// A panel: a windowed control with a raised or lowered bevel, a caption and a colour.
// Children are laid out inside its bevels.

#include "framework/ui/Control.h"
#include "framework/ui/Font.h"

namespace orlenth {

class TPanel : public TWinControl {
    Q_OBJECT
public:
    enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
    Q_ENUM(TBevelCut)
    enum TMouseButton { mbLeft, mbRight, mbMiddle };
    Q_ENUM(TMouseButton)

    Q_PROPERTY(orlenth::TControl::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(TBevelCut BevelInner READ BevelInner WRITE SetBevelInner)
    Q_PROPERTY(TBevelCut BevelOuter READ BevelOuter WRITE SetBevelOuter)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
    Q_PROPERTY(QByteArray Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(orlenth::TFont* Font READ Font)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_CLASSINFO("Default.Alignment", "taCenter")
    Q_CLASSINFO("Default.BevelInner", "bvNone")
    Q_CLASSINFO("Default.BevelOuter", "bvRaised")
    Q_CLASSINFO("Default.BevelWidth", "1")
    Q_CLASSINFO("Default.ParentColor", "false")
    Q_CLASSINFO("Default.ParentFont", "true")
    Q_CLASSINFO("Idents.Color", "TColor")
    Q_CLASSINFO("Event.OnMouseDown", "orlenth::TComponent*,int,int,int,int")
    Q_CLASSINFO("Event.OnMouseUp", "orlenth::TComponent*,int,int,int,int")

public:
    Q_INVOKABLE explicit TPanel(TComponent* owner = nullptr);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut b);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut b);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int w);
    QByteArray Caption() const { return caption_; }
    void SetCaption(const QByteArray& c);
    int Color() const { return color_; }
    void SetColor(int c);
    TFont* Font() { return &font_; }
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool p);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool p) { parentFont_ = p; }
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int t) { tabOrder_ = t; }

    // Children sit inside the bevels: each cut that is not none takes BevelWidth pixels.
    QRect AlignArea() const override;
    void Loaded() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Repaint();

    TFont font_;
    QByteArray caption_;
    TAlignment alignment_ = taCenter;
    TBevelCut bevelInner_ = bvNone, bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int color_ = kSystemColor | 15;
    bool parentColor_ = false, parentFont_ = true;
    int tabOrder_ = -1;
};

} // namespace orlenth
