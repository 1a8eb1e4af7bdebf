#pragma once
// A tool bar: a row of buttons, laid out left to right in the order of their positions,
// each ButtonWidth × ButtonHeight except separators, which keep their own width. Flat
// bars draw their buttons raised only under the mouse.

#include "framework/ui/Colors.h"
#include "framework/ui/Control.h"
#include "framework/ui/ToolButton.h"

#include <QPointer>

#include <vector>

namespace orlenth {

class TToolBar : public TWinControl {
    Q_OBJECT
public:
    enum TEdgeBorder { ebLeft = 1, ebTop = 2, ebRight = 4, ebBottom = 8 };
    Q_DECLARE_FLAGS(TEdgeBorders, TEdgeBorder)
    Q_FLAG(TEdgeBorders)

    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(int ButtonHeight READ ButtonHeight WRITE SetButtonHeight)
    Q_PROPERTY(int ButtonWidth READ ButtonWidth WRITE SetButtonWidth)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(bool Customizable READ Customizable WRITE SetCustomizable)
    Q_PROPERTY(TEdgeBorders EdgeBorders READ EdgeBorders WRITE SetEdgeBorders)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool ShowCaptions READ ShowCaptions WRITE SetShowCaptions)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_CLASSINFO("Default.AutoSize", "false")
    Q_CLASSINFO("Default.ButtonHeight", "22")
    Q_CLASSINFO("Default.ButtonWidth", "23")
    Q_CLASSINFO("Default.Color", "-16777201") // the button face
    Q_CLASSINFO("Default.Customizable", "false")
    Q_CLASSINFO("Default.EdgeBorders", "ebTop")
    Q_CLASSINFO("Default.Flat", "false")
    Q_CLASSINFO("Default.ParentColor", "false")
    Q_CLASSINFO("Default.ShowCaptions", "false")
    Q_CLASSINFO("Default.Transparent", "false")
    Q_CLASSINFO("Idents.Color", "TColor")

public:
    // The width a separator without a width of its own takes.
    static constexpr int kSeparatorWidth = 8;
    // What each edge border takes off the bar's inside.
    static constexpr int kEdgeWidth = 2;

    Q_INVOKABLE explicit TToolBar(TComponent* owner = nullptr);

    // With AutoSize the bar is as wide as its buttons (and edges) together.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool a);
    // Sizes below 1 are taken as 1.
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonHeight(int h);
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int w);
    int Color() const { return color_; }
    void SetColor(int c);
    // A customizable bar opens its customizing dialog on a double click on the bar itself
    // (not on a button).
    bool Customizable() const { return customizable_; }
    void SetCustomizable(bool c) { customizable_ = c; }
    TEdgeBorders EdgeBorders() const { return edgeBorders_; }
    void SetEdgeBorders(TEdgeBorders e);
    bool Flat() const { return flat_; }
    void SetFlat(bool f);
    // Takes the colour of the parent (a form, a panel or another bar).
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool p);
    // Kept for the description; captions are always shown, as there are no images.
    bool ShowCaptions() const { return showCaptions_; }
    void SetShowCaptions(bool s) { showCaptions_ = s; }
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int t) { tabOrder_ = t; }
    // A transparent bar paints no background of its own.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool t);

    // The bar's controls in the order they are laid out: by Left, ties in placing order.
    std::vector<TControl*> Ordered() const;
    // Lays the visible controls out left to right from the edges: buttons ButtonWidth
    // wide, separators and other controls their own width (kSeparatorWidth when 0), all
    // ButtonHeight high. Does nothing while the bar is loading.
    void ArrangeButtons();

    // The controls the bar held when it was first read or customized, in their order then:
    // what customizing offers and what a reset brings back.
    std::vector<TControl*> Stored();
    // What a reset of the customization brings back: the stored controls unless the
    // window has said otherwise (some stored controls may only be offered). Controls that
    // are not stored ones are ignored.
    std::vector<TControl*> Design();
    void SetDesign(const std::vector<TControl*>& design);
    // Puts exactly `order` on the bar, in that order (each one of Stored()); the other
    // stored controls leave it until put back. The Tab key then reaches the bar's buttons
    // in their new order, at the place in the window's Tab order they had before. Nothing
    // of it is kept beyond the program.
    void SetButtons(const std::vector<TControl*>& order);
    // Runs the customizing dialog modally through the dialog seam.
    void Customize();

    QRect AlignArea() const override;
    void Loaded() override;
    // A control that does not fit the bar's width whole is not shown while it does not.
    void PlaceChild(TControl& child) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TToolButton;
    void Repaint();
    // The widget before the bar's buttons in the window's Tab order: the last one that
    // takes the Tab key before the first of them, or null when there is none.
    QWidget* TabPredecessor() const;

    // The visible controls of the last arrangement: a control shown or hidden since
    // opens or closes its place.
    std::vector<const TControl*> laidOut_;
    std::vector<QPointer<TControl>> stored_;
    std::vector<QPointer<TControl>> design_;
    bool designSet_ = false;

    int buttonHeight_ = 22, buttonWidth_ = 23;
    int color_ = kSystemColor | 15;
    int tabOrder_ = -1;
    TEdgeBorders edgeBorders_ = ebTop;
    bool autoSize_ = false, customizable_ = false, flat_ = false, parentColor_ = false,
         showCaptions_ = false, transparent_ = false;
    bool arranging_ = false;
};

} // namespace orlenth

Q_DECLARE_OPERATORS_FOR_FLAGS(orlenth::TToolBar::TEdgeBorders)
