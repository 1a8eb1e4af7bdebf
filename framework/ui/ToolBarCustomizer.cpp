#include "framework/ui/ToolBarCustomizer.h"

#include "framework/text/TextEncoding.h"
#include "framework/ui/ToolBar.h"
#include "framework/ui/ToolButton.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace orlenth {

namespace {

QPushButton* command(const char* text, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TToolBarCustomizer::TToolBarCustomizer(TToolBar& bar, QWidget* parent)
    : QDialog(parent), bar_(bar) {
    setObjectName(QStringLiteral("ToolBarCustomizer"));
    setWindowTitle(QString::fromUtf8("自定义工具栏"));
    availableList_ = new QListWidget(this);
    currentList_ = new QListWidget(this);
    availableList_->setObjectName(QStringLiteral("Available"));
    currentList_->setObjectName(QStringLiteral("Current"));
    // Mnemonics reach the lists through their labels and the commands directly, so the
    // dialog works from the keyboard alone.
    auto* availableLabel = new QLabel(QString::fromUtf8("可用按钮(&V):"), this);
    auto* currentLabel = new QLabel(QString::fromUtf8("当前按钮(&T):"), this);
    availableLabel->setBuddy(availableList_);
    currentLabel->setBuddy(currentList_);
    add_ = command("添加(&A) ->", this);
    remove_ = command("<- 删除(&R)", this);
    up_ = command("上移(&U)", this);
    down_ = command("下移(&D)", this);
    reset_ = command("重置(&E)", this);
    close_ = command("关闭(&C)", this);
    close_->setDefault(true);
    availableList_->setAccessibleName(QString::fromUtf8("可用按钮"));
    currentList_->setAccessibleName(QString::fromUtf8("当前按钮"));

    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(add_);
    middle->addWidget(remove_);
    middle->addStretch();
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {close_, reset_, up_, down_}) side->addWidget(b);
    side->insertSpacing(2, 12);
    side->addStretch();
    auto* grid = new QGridLayout(this);
    grid->addWidget(availableLabel, 0, 0);
    grid->addWidget(currentLabel, 0, 2);
    grid->addWidget(availableList_, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(currentList_, 1, 2);
    grid->addLayout(side, 1, 3);
    setTabOrder(availableList_, add_);
    setTabOrder(add_, remove_);
    setTabOrder(remove_, currentList_);
    setTabOrder(currentList_, close_);
    setTabOrder(close_, reset_);
    setTabOrder(reset_, up_);
    setTabOrder(up_, down_);

    connect(add_, &QPushButton::clicked, this, &TToolBarCustomizer::Add);
    connect(remove_, &QPushButton::clicked, this, &TToolBarCustomizer::Remove);
    connect(up_, &QPushButton::clicked, this, &TToolBarCustomizer::MoveUp);
    connect(down_, &QPushButton::clicked, this, &TToolBarCustomizer::MoveDown);
    connect(reset_, &QPushButton::clicked, this, &TToolBarCustomizer::Reset);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    // A double click on a row moves it to the other list.
    connect(availableList_, &QListWidget::itemActivated, this, &TToolBarCustomizer::Add);
    connect(currentList_, &QListWidget::itemActivated, this, &TToolBarCustomizer::Remove);
    connect(availableList_, &QListWidget::currentRowChanged, this,
            &TToolBarCustomizer::UpdateCommands);
    connect(currentList_, &QListWidget::currentRowChanged, this,
            &TToolBarCustomizer::UpdateCommands);

    current_ = bar_.Ordered();
    Fill(0, 0);
}

QString TToolBarCustomizer::RowText(const TControl& control) {
    const auto* button = qobject_cast<const TToolButton*>(&control);
    if (!button) return control.objectName();
    if (button->IsGap()) return QString::fromUtf8("分隔符");
    return DisplayTextToUnicode(button->Caption());
}

void TToolBarCustomizer::Fill(int selectCurrent, int selectAvailable) {
    available_.clear();
    for (TControl* c : bar_.Stored())
        if (std::find(current_.begin(), current_.end(), c) == current_.end())
            available_.push_back(c);
    const QSignalBlocker a(availableList_), b(currentList_);
    for (auto [list, controls] :
         {std::pair{availableList_, &available_}, std::pair{currentList_, &current_}}) {
        list->clear();
        for (const TControl* c : *controls) list->addItem(RowText(*c));
    }
    availableList_->setCurrentRow(std::min(selectAvailable, int(available_.size()) - 1));
    currentList_->setCurrentRow(std::min(selectCurrent, int(current_.size()) - 1));
    UpdateCommands();
}

void TToolBarCustomizer::Apply(int selectCurrent, int selectAvailable) {
    bar_.SetButtons(current_);
    current_ = bar_.Ordered();
    Fill(selectCurrent, selectAvailable);
}

void TToolBarCustomizer::UpdateCommands() {
    const int a = availableList_->currentRow(), c = currentList_->currentRow();
    add_->setEnabled(a >= 0);
    remove_->setEnabled(c >= 0);
    up_->setEnabled(c > 0);
    down_->setEnabled(c >= 0 && c + 1 < int(current_.size()));
}

void TToolBarCustomizer::Add() {
    const int a = availableList_->currentRow();
    if (a < 0 || a >= int(available_.size())) return;
    int at = currentList_->currentRow();
    if (at < 0 || at > int(current_.size())) at = int(current_.size());
    current_.insert(current_.begin() + at, available_[std::size_t(a)]);
    Apply(at, a);
}

void TToolBarCustomizer::Remove() {
    const int c = currentList_->currentRow();
    if (c < 0 || c >= int(current_.size())) return;
    TControl* gone = current_[std::size_t(c)];
    current_.erase(current_.begin() + c);
    bar_.SetButtons(current_);
    current_ = bar_.Ordered();
    Fill(c, 0);
    // The removed control is selected among the available ones, ready to be put back.
    const auto it = std::find(available_.begin(), available_.end(), gone);
    if (it != available_.end()) availableList_->setCurrentRow(int(it - available_.begin()));
    UpdateCommands();
}

void TToolBarCustomizer::MoveUp() {
    const int c = currentList_->currentRow();
    if (c <= 0 || c >= int(current_.size())) return;
    std::swap(current_[std::size_t(c)], current_[std::size_t(c - 1)]);
    Apply(c - 1, availableList_->currentRow());
}

void TToolBarCustomizer::MoveDown() {
    const int c = currentList_->currentRow();
    if (c < 0 || c + 1 >= int(current_.size())) return;
    std::swap(current_[std::size_t(c)], current_[std::size_t(c + 1)]);
    Apply(c + 1, availableList_->currentRow());
}

void TToolBarCustomizer::Reset() {
    current_ = bar_.Design();
    Apply(currentList_->currentRow(), 0);
}

} // namespace orlenth
