#include "app/FindBar.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QKeyEvent>

namespace orlenth {

namespace {

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TFindBar::TFindBar(QWidget* parent)
    : QWidget(parent), field_(new QLineEdit(this)),
      previous_(new QPushButton(QString::fromUtf8("↑"), this)),
      next_(new QPushButton(QString::fromUtf8("↓"), this)), result_(new QLabel(this)),
      close_(new QPushButton(QString::fromUtf8("✕"), this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* label = new QLabel(QString::fromUtf8("查找(&F)："), this);
    label->setBuddy(field_);
    layout->addWidget(label);
    layout->addWidget(field_, 1);
    field_->setMinimumWidth(80);
    layout->addWidget(previous_);
    layout->addWidget(next_);
    layout->addWidget(result_, 2);
    layout->addWidget(close_);
    // The reading area is often narrow: the buttons are arrows and a cross (their names and
    // tips say what they do), so that the result keeps room for a long count and the
    // notice that the search went round.
    for (QPushButton* b : {previous_, next_, close_})
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 20);
    result_->setMinimumWidth(result_->fontMetrics().horizontalAdvance(
        QString::fromUtf8("第 88888 处 / 共 88888 处，已从末尾开始")));
    field_->setAccessibleName(QString::fromUtf8("查找内容"));
    field_->setClearButtonEnabled(true);
    previous_->setAccessibleName(QString::fromUtf8("查找上一个"));
    previous_->setToolTip(QString::fromUtf8("查找上一个 (Shift+F3)"));
    next_->setAccessibleName(QString::fromUtf8("查找下一个"));
    next_->setToolTip(QString::fromUtf8("查找下一个 (F3)"));
    close_->setAccessibleName(QString::fromUtf8("关闭查找栏"));
    close_->setToolTip(QString::fromUtf8("关闭查找栏 (Esc)"));
    result_->setAccessibleName(QString::fromUtf8("查找结果"));
    result_->setTextFormat(Qt::PlainText);
    // The buttons are reached with Tab and pressed with Space; none is a default button, so
    // Enter stays the field's.
    for (QPushButton* b : {previous_, next_, close_}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::StrongFocus);
    }
    for (QWidget* w : {static_cast<QWidget*>(field_), static_cast<QWidget*>(previous_),
                       static_cast<QWidget*>(next_), static_cast<QWidget*>(close_)})
        w->installEventFilter(this);
    connect(field_, &QLineEdit::textEdited, this, &TFindBar::Edited);
    connect(previous_, &QPushButton::clicked, this, &TFindBar::PreviousAsked);
    connect(next_, &QPushButton::clicked, this, &TFindBar::NextAsked);
    connect(close_, &QPushButton::clicked, this, &TFindBar::CloseAsked);
}

void TFindBar::FocusField() {
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

void TFindBar::SetResult(const QString& text) {
    if (result_->text() == text) return;
    result_->setText(text);
    // The name stays 查找结果; what it says is the label's value and description, and a
    // screen reader hears of each change.
    result_->setAccessibleDescription(text);
    QAccessibleEvent described(result_, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
    QAccessibleValueChangeEvent changed(result_, text);
    QAccessible::updateAccessibility(&changed);
}

bool TFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // The window binds Enter to auto-scroll: in the bar, Enter and Esc are the bar's.
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnter(key->key()) || key->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            emit CloseAsked();
            return true;
        }
        if (watched == field_ && IsEnter(key->key())) {
            if (key->modifiers() & Qt::ShiftModifier)
                emit PreviousAsked();
            else
                emit NextAsked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orlenth
