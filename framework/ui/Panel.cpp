#include "framework/ui/Panel.h"

#include "framework/text/TextEncoding.h"
#include "framework/ui/Form.h"

#include <QMouseEvent>
#include <QPainter>

namespace orlenth {

namespace {

// The panel's widget draws its background, bevels and caption; the panel tells it how.
class PanelWidget : public QWidget {
public:
    explicit PanelWidget(TPanel& panel) : panel_(panel) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Window));
        QRect r = rect();
        auto bevel = [&](TPanel::TBevelCut cut) {
            if (cut == TPanel::bvNone) return;
            const QColor light = palette().color(QPalette::Light),
                         dark = palette().color(QPalette::Mid);
            const QColor topLeft = cut == TPanel::bvRaised ? light : dark;
            const QColor bottomRight = cut == TPanel::bvRaised ? dark : light;
            for (int i = 0; i < panel_.BevelWidth() && r.width() > 1 && r.height() > 1; ++i) {
                if (cut != TPanel::bvSpace) {
                    p.setPen(topLeft);
                    p.drawLine(r.topLeft(), r.topRight());
                    p.drawLine(r.topLeft(), r.bottomLeft());
                    p.setPen(bottomRight);
                    p.drawLine(r.bottomLeft(), r.bottomRight());
                    p.drawLine(r.topRight(), r.bottomRight());
                }
                r.adjust(1, 1, -1, -1);
            }
        };
        bevel(panel_.BevelOuter());
        bevel(panel_.BevelInner());
        const QByteArray c = panel_.Caption();
        if (!c.isEmpty()) {
            const Qt::Alignment h = panel_.Alignment() == TPanel::taCenter ? Qt::AlignHCenter
                                    : panel_.Alignment() == TPanel::taRightJustify ? Qt::AlignRight
                                                                                   : Qt::AlignLeft;
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(r, static_cast<int>(h | Qt::AlignVCenter), DisplayTextToUnicode(c));
        }
    }

private:
    TPanel& panel_;
};

int buttonOf(Qt::MouseButton b) {
    return b == Qt::RightButton    ? TPanel::mbRight
           : b == Qt::MiddleButton ? TPanel::mbMiddle
                                   : TPanel::mbLeft;
}

} // namespace

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
    auto* w = new PanelWidget(*this);
    w->setAutoFillBackground(false);
    SetWidget(w);
    SetColor(color_);
}

void TPanel::SetAlignment(TAlignment a) {
    alignment_ = a;
    Repaint();
}
void TPanel::SetBevelInner(TBevelCut b) {
    bevelInner_ = b;
    Realign();
    Repaint();
}
void TPanel::SetBevelOuter(TBevelCut b) {
    bevelOuter_ = b;
    Realign();
    Repaint();
}
void TPanel::SetBevelWidth(int w) {
    bevelWidth_ = std::max(1, w);
    Realign();
    Repaint();
}
void TPanel::SetCaption(const QByteArray& c) {
    caption_ = c;
    Repaint();
}

void TPanel::SetColor(int c) {
    color_ = c;
    parentColor_ = false;
    SetWidgetColor(Widget(), c);
    Repaint();
}

void TPanel::SetParentColor(bool p) {
    parentColor_ = p;
    if (!p || IsLoading()) return;
    if (const auto c = ParentColorSource()) SetColor(*c);
    parentColor_ = true;
}

void TPanel::Loaded() {
    TWinControl::Loaded();
    if (parentColor_) SetParentColor(true);
}

QRect TPanel::AlignArea() const {
    const int inset =
        (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
    return TWinControl::AlignArea().adjusted(inset, inset, -inset, -inset);
}

void TPanel::Repaint() {
    if (QWidget* w = Widget()) w->update();
}

bool TPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Widget() && (event->type() == QEvent::MouseButtonPress ||
                                event->type() == QEvent::MouseButtonRelease)) {
        const auto* m = static_cast<QMouseEvent*>(event);
        const int button = buttonOf(m->button()), shift = static_cast<int>(m->modifiers());
        const int x = static_cast<int>(m->position().x()), y = static_cast<int>(m->position().y());
        Fire(event->type() == QEvent::MouseButtonPress ? "OnMouseDown" : "OnMouseUp",
             Q_ARG(orlenth::TComponent*, this), Q_ARG(int, button), Q_ARG(int, shift),
             Q_ARG(int, x), Q_ARG(int, y));
    }
    return TWinControl::eventFilter(watched, event);
}

} // namespace orlenth
