#pragma once
// A text label: GBK caption, own or parent's font, alignment, vertical layout, word wrap.

#include "framework/ui/Control.h"
#include "framework/ui/Font.h"

#include <QLabel>

namespace orlenth {

class TLabel : public TControl {
    Q_OBJECT
public:
    enum TTextLayout { tlTop, tlCenter, tlBottom };
    Q_ENUM(TTextLayout)

    Q_PROPERTY(orlenth::TControl::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(QByteArray Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(orlenth::TFont* Font READ Font)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(TTextLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_CLASSINFO("Default.Alignment", "taLeftJustify")
    Q_CLASSINFO("Default.AutoSize", "true")
    Q_CLASSINFO("Default.ParentFont", "true")
    Q_CLASSINFO("Default.Transparent", "false")
    Q_CLASSINFO("Default.Layout", "tlTop")
    Q_CLASSINFO("Default.WordWrap", "false")
    Q_CLASSINFO("Event.OnClick", "")

public:
    Q_INVOKABLE explicit TLabel(TComponent* owner = nullptr);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a) {
        alignment_ = a;
        Apply();
    }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool a) {
        autoSize_ = a;
        Apply();
    }
    QByteArray Caption() const { return caption_; }
    void SetCaption(const QByteArray& c) {
        caption_ = c;
        Apply();
    }
    TFont* Font() { return &font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool p) { parentFont_ = p; }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool t) {
        transparent_ = t;
        Apply();
    }
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout l) {
        layout_ = l;
        Apply();
    }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool w) {
        wordWrap_ = w;
        Apply();
    }

    QLabel* LabelWidget() const { return label_; }
    void Loaded() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply();

    QLabel* label_;
    TFont font_;
    QByteArray caption_;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool autoSize_ = true, parentFont_ = true, transparent_ = false, wordWrap_ = false;
};

} // namespace orlenth
