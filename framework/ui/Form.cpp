#include "framework/ui/Form.h"

#include "framework/text/TextEncoding.h"
#include "framework/ui/Dialogs.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>

namespace orlenth {

namespace {
QPointer<TCustomForm> gMainForm;
} // namespace

void TCustomForm::SetMainForm(TCustomForm* form) {
    gMainForm = form;
}
TCustomForm* TCustomForm::MainForm() {
    return gMainForm.data();
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    auto* w = new QWidget;
    w->setAutoFillBackground(true);
    // Keys reach the window itself when no child takes them (its key-press handler).
    w->setFocusPolicy(Qt::StrongFocus);
    SetWidget(w);
    SetColor(color_);
}

QSize TCustomForm::FrameExtra() const {
    // At 96 pixels per inch a sizeable window's frame is 4 pixels a side with a 26-pixel
    // caption, a single one 3 pixels; a window without border has no frame.
    switch (borderStyle_) {
    case bsNone:
        return {0, 0};
    case bsSingle:
    case bsDialog:
        return {6, 32};
    default:
        return {8, 34};
    }
}

// The border band lies outside the client area, inside the frame.
int TCustomForm::ClientWidth() const {
    return Width() - FrameExtra().width() - 2 * borderWidth_;
}
int TCustomForm::ClientHeight() const {
    return Height() - FrameExtra().height() - 2 * borderWidth_;
}
void TCustomForm::SetClientWidth(int w) {
    SetWidth(w + FrameExtra().width() + 2 * borderWidth_);
}
void TCustomForm::SetClientHeight(int h) {
    SetHeight(h + FrameExtra().height() + 2 * borderWidth_);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle s) {
    // The client size stays what it was; the frame around it changes.
    const int cw = ClientWidth(), ch = ClientHeight();
    borderStyle_ = s;
    SetClientWidth(cw);
    SetClientHeight(ch);
    if (QWidget* w = Widget()) w->setWindowFlag(Qt::FramelessWindowHint, s == bsNone);
}

void TCustomForm::SetBorderWidth(int w) {
    borderWidth_ = std::max(0, w);
    Realign();
}

void TCustomForm::SetCaption(const QByteArray& c) {
    caption_ = c;
    if (QWidget* w = Widget()) w->setWindowTitle(DisplayTextToUnicode(c));
}

void TCustomForm::SetColor(int c) {
    color_ = c;
    SetWidgetColor(Widget(), c);
}

QRect TCustomForm::AlignArea() const {
    const QRect whole = TWinControl::AlignArea();
    return QRect(0, 0, std::max(0, whole.width() - 2 * borderWidth_),
                 std::max(0, whole.height() - 2 * borderWidth_));
}

void TCustomForm::PlaceChild(TControl& child) {
    SetChildWidget(child, child.Bounds().translated(borderWidth_, borderWidth_), QPoint(0, 0),
                   child.Visible());
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    // The stored name ("starYe") names the window for tests and accessibility tools.
    if (QWidget* w = Widget()) w->setObjectName(QString::fromStdString(Name()));
    if (autoSize_) {
        // The window fits itself around its children.
        int right = 0, bottom = 0;
        for (const TControl* c : Controls()) {
            if (!c->Visible()) continue;
            right = std::max(right, c->Left() + c->Width());
            bottom = std::max(bottom, c->Top() + c->Height());
        }
        SetClientWidth(right);
        SetClientHeight(bottom);
    }
    // The widget is the client area with the border band; the window system draws the
    // frame around it.
    if (QWidget* w = Widget())
        w->resize(std::max(0, ClientWidth() + 2 * borderWidth_),
                  std::max(0, ClientHeight() + 2 * borderWidth_));
    Realign();
}

void TCustomForm::PlaceByPosition() {
    QWidget* w = Widget();
    if (!w) return;
    QRect around;
    if ((position_ == poOwnerFormCenter || position_ == poMainFormCenter) && MainForm() &&
        MainForm() != this && MainForm()->Widget() && MainForm()->Widget()->isVisible())
        around = MainForm()->Widget()->frameGeometry();
    else if (position_ == poScreenCenter || position_ == poDesktopCenter ||
             position_ == poOwnerFormCenter || position_ == poMainFormCenter)
        if (QScreen* screen = QGuiApplication::primaryScreen())
            around = screen->availableGeometry();
    if (around.isValid()) {
        const QSize size = w->frameGeometry().size().expandedTo(w->size());
        w->move(around.center() - QPoint(size.width() / 2, size.height() / 2));
    } else {
        w->move(Left(), Top());
    }
}

void TCustomForm::Show() {
    if (QWidget* w = Widget()) {
        if (!w->isVisible()) PlaceByPosition();
        w->show();
        w->activateWindow();
        w->setFocus();
    }
}

int TCustomForm::ShowModal() {
    QWidget* w = Widget();
    if (!w) return mrCancel;
    modalResult_ = mrNone;
    closing_ = false;
    PlaceByPosition();
    w->setFocus();
    Dialogs().RunModal(*w);
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    return modalResult_;
}

bool TCustomForm::QueryClose() {
    TCloseAction action = caHide;
    Fire("OnClose", Q_ARG(orlenth::TComponent*, this),
         Q_ARG(orlenth::TCustomForm::TCloseAction&, action));
    return action != caNone;
}

void TCustomForm::Close() {
    QWidget* w = Widget();
    if (!w || closing_ || !w->isVisible()) return;
    closing_ = true;
    const bool go = QueryClose();
    closing_ = false;
    if (!go) return;
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    // Closing through Qt lets the application end with its last window.
    closing_ = true;
    w->close();
    closing_ = false;
}

bool TCustomForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Widget() && event->type() == QEvent::Close && !closing_) {
        // The close box or the window manager: the same road as Close().
        if (!QueryClose()) {
            event->ignore();
            return true;
        }
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
    }
    if (watched == Widget()) {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (!text.isEmpty() && text[0].unicode() < 0x80) {
                char key = static_cast<char>(text[0].unicode());
                Fire("OnKeyPress", Q_ARG(orlenth::TComponent*, this), Q_ARG(char&, key));
            }
        } else if (event->type() == QEvent::Show) {
            Fire("OnShow", Q_ARG(orlenth::TComponent*, this));
        }
    }
    return TWinControl::eventFilter(watched, event);
}

} // namespace orlenth
