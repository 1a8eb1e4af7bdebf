#include "framework/ui/Label.h"

#include "framework/text/TextEncoding.h"

#include <QEvent>

namespace orlenth {

TLabel::TLabel(TComponent* owner) : TControl(owner), label_(new QLabel) {
    label_->installEventFilter(this);
    SetWidget(label_);
    Apply();
}

void TLabel::Loaded() {
    TControl::Loaded();
    Apply();
}

void TLabel::Apply() {
    // "&" is shown as itself: captions carry no accelerator marks here.
    label_->setTextFormat(Qt::PlainText);
    // Every CR, with or without its LF, breaks the line; tabs go to the next tab stop.
    QString text = DisplayTextToUnicode(caption_);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    label_->setText(text);
    Qt::Alignment h = alignment_ == taCenter         ? Qt::AlignHCenter
                      : alignment_ == taRightJustify ? Qt::AlignRight
                                                     : Qt::AlignLeft;
    Qt::Alignment v = layout_ == tlCenter   ? Qt::AlignVCenter
                      : layout_ == tlBottom ? Qt::AlignBottom
                                            : Qt::AlignTop;
    label_->setAlignment(h | v);
    label_->setWordWrap(wordWrap_);
    label_->setAutoFillBackground(!transparent_);
    if (!parentFont_) {
        label_->setFont(font_.ToQFont());
        QPalette p = label_->palette();
        p.setColor(QPalette::WindowText, ToQColor(font_.Color(), p));
        label_->setPalette(p);
    }
    if (autoSize_ && !wordWrap_ && !IsLoading()) {
        label_->adjustSize();
        SetBounds(QRect(Left(), Top(), label_->width(), label_->height()));
    }
}

bool TLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == label_ && event->type() == QEvent::MouseButtonRelease)
        Fire("OnClick", Q_ARG(orlenth::TComponent*, this));
    return TControl::eventFilter(watched, event);
}

} // namespace orlenth
