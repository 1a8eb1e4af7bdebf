#pragma once
// A strip of sheet tabs hanging from its top edge, one per caption, one of them selected.
// When the tabs are wider than the strip, two arrow buttons at its right end scroll them.

#include "framework/ui/Control.h"
#include "framework/ui/Font.h"
#include "framework/ui/Strings.h"

#include <QAbstractButton>

namespace orlenth {

class TTabSet : public TControl {
    Q_OBJECT
    Q_PROPERTY(bool AutoScroll READ AutoScroll WRITE SetAutoScroll)
    Q_PROPERTY(int BackgroundColor READ BackgroundColor WRITE SetBackgroundColor)
    Q_PROPERTY(int SelectedColor READ SelectedColor WRITE SetSelectedColor)
    Q_PROPERTY(int UnselectedColor READ UnselectedColor WRITE SetUnselectedColor)
    Q_PROPERTY(bool DitherBackground READ DitherBackground WRITE SetDitherBackground)
    Q_PROPERTY(int StartMargin READ StartMargin WRITE SetStartMargin)
    Q_PROPERTY(int EndMargin READ EndMargin WRITE SetEndMargin)
    Q_PROPERTY(bool SoftTop READ SoftTop WRITE SetSoftTop)
    Q_PROPERTY(int TabHeight READ TabHeight WRITE SetTabHeight)
    Q_PROPERTY(orlenth::TFont* Font READ Font)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(orlenth::TStrings* Tabs READ Tabs)
    Q_PROPERTY(int TabIndex READ TabIndex WRITE SetTabIndex)
    Q_CLASSINFO("Default.AutoScroll", "true")
    // The writer compares numbers: clBtnFace, clBtnFace, clWindow.
    Q_CLASSINFO("Default.BackgroundColor", "-16777201")
    Q_CLASSINFO("Default.SelectedColor", "-16777201")
    Q_CLASSINFO("Default.UnselectedColor", "-16777211")
    Q_CLASSINFO("Default.DitherBackground", "true")
    Q_CLASSINFO("Default.StartMargin", "5")
    Q_CLASSINFO("Default.EndMargin", "5")
    Q_CLASSINFO("Default.SoftTop", "false")
    Q_CLASSINFO("Default.TabHeight", "20")
    Q_CLASSINFO("Default.ParentFont", "false")
    Q_CLASSINFO("Default.TabIndex", "-1")
    Q_CLASSINFO("Idents.BackgroundColor", "TColor")
    Q_CLASSINFO("Idents.SelectedColor", "TColor")
    Q_CLASSINFO("Idents.UnselectedColor", "TColor")
    Q_CLASSINFO("Event.OnChange", "orlenth::TComponent*,int,bool&")

public:
    Q_INVOKABLE explicit TTabSet(TComponent* owner = nullptr);

    // Off: tabs that do not fit are cut off and no arrow buttons appear.
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool a);
    int BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(int c);
    int SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(int c);
    int UnselectedColor() const { return unselectedColor_; }
    void SetUnselectedColor(int c);
    bool DitherBackground() const { return dither_; }
    void SetDitherBackground(bool d);
    // Space before the first tab and after the last; negative values count as 0.
    int StartMargin() const { return startMargin_; }
    void SetStartMargin(int m);
    int EndMargin() const { return endMargin_; }
    void SetEndMargin(int m);
    bool SoftTop() const { return softTop_; }
    void SetSoftTop(bool s);
    // At least 1.
    int TabHeight() const { return tabHeight_; }
    void SetTabHeight(int h);
    TFont* Font() { return &font_; }
    // On: the captions take the parent's font (see TControl::ParentFontSource) instead of Font.
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool p);

    // The captions, GBK. Changing them drops a selection that no longer exists.
    TStrings* Tabs() { return &tabs_; }
    int TabIndex() const { return tabIndex_; }
    // While loading the index is only stored. Otherwise: the selected tab stays when
    // `index` is the selected one or lies outside −1 … count − 1 (silently). −1 deselects
    // without asking anyone. Any other index first goes to OnChange(sender, index,
    // allowChange) with TabIndex() still the old one; the tab is selected, scrolled into
    // view and redrawn only if the handler leaves allowChange true.
    void SetTabIndex(int index);

    // The first tab shown when the strip is scrolled; clamped to the tabs there are.
    int FirstIndex() const { return firstIndex_; }
    void SetFirstIndex(int index);
    // Whether the arrow buttons are shown: the tabs do not fit and AutoScroll is on.
    bool ScrollerVisible() const { return scrollerVisible_; }
    // The arrow buttons (forward scrolls towards the last tab).
    QAbstractButton* ScrollButton(bool forward) const;
    // The tab's place in the strip's coordinates; empty when it is scrolled out of sight.
    QRect TabRect(int index) const;
    // The tab shown at `pos`, or −1.
    int TabAt(const QPoint& pos) const;
    // The font the captions are drawn in.
    QFont EffectiveFont() const;

    void Loaded() override;

private:
    friend class TabSetWidget;
    int TabWidth(int index) const;
    // Where the tabs end: the strip's width less the arrow buttons and the end margin.
    int TabLimit() const;
    int LastFullyShown() const;
    void MakeVisible(int index);
    void UpdateScroller();

    TFont font_;
    TStrings tabs_;
    int backgroundColor_, selectedColor_, unselectedColor_;
    int startMargin_ = 5, endMargin_ = 5, tabHeight_ = 20;
    int tabIndex_ = -1, firstIndex_ = 0;
    bool autoScroll_ = true, dither_ = true, softTop_ = false, parentFont_ = false;
    bool scrollerVisible_ = false;
    QAbstractButton* back_;
    QAbstractButton* forward_;
};

} // namespace orlenth
