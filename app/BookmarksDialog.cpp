#include "app/BookmarksDialog.h"

#include "app/settings/Bookmarks.h"
#include "framework/ui/Dialogs.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace orlenth {

namespace {

enum Column { kTitle, kOpening, kPosition, kMade, kColumns };
constexpr int kIdRole = Qt::UserRole;
constexpr int kMissingRole = Qt::UserRole + 1;

QPushButton* button(const QString& caption, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // Read as the word alone: "转到", not "转到(G)". Screen readers say the Alt key apart,
    // from the button's shortcut.
    b->setAccessibleName(QString(caption)
                             .remove(QRegularExpression(QStringLiteral("\\(&.\\)")))
                             .remove(QLatin1Char('&')));
    return b;
}

} // namespace

QString BookmarkPosition(int permille) {
    const int p = std::clamp(permille, 0, 1000);
    return QStringLiteral("%1.%2%").arg(p / 10).arg(p % 10);
}

TBookmarksDialog::TBookmarksDialog(std::vector<TBookmarkRow> rows, TRename rename, TRemove remove,
                                   QWidget* parent)
    : QDialog(parent), rename_(std::move(rename)), remove_(std::move(remove)) {
    setObjectName(QStringLiteral("bookmarksDialog"));
    setWindowTitle(QStringLiteral("书签"));

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("bookmarkList"));
    list_->setAccessibleName(QStringLiteral("书签列表"));
    list_->setColumnCount(kColumns);
    list_->setHeaderLabels({QStringLiteral("标题"), QStringLiteral("开头"), QStringLiteral("位置"),
                            QStringLiteral("时间")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // F2 renames through the dialog below, which the owner's callback may refuse; an edit in
    // place would show the new title before the store had taken it.
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(kOpening, QHeaderView::Stretch);
    list_->header()->setSectionResizeMode(kPosition, QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(kMade, QHeaderView::ResizeToContents);
    list_->setColumnWidth(kTitle, 160);

    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    for (const TBookmarkRow& row : rows) {
        // One line a row: the opening may hold the text's own line breaks.
        const QString opening =
            row.missing ? QStringLiteral("（文件已不存在）") : row.opening.simplified();
        auto* item = new QTreeWidgetItem(
            list_, {row.title, opening, BookmarkPosition(row.permille),
                    QDateTime::fromMSecsSinceEpoch(row.made).toLocalTime().toString(
                        QStringLiteral("yyyy-MM-dd HH:mm"))});
        item->setData(kTitle, kIdRole, row.id);
        item->setData(kTitle, kMissingRole, row.missing);
        item->setToolTip(kOpening, opening);
        item->setTextAlignment(kPosition, Qt::AlignRight | Qt::AlignVCenter);
        if (row.missing)
            for (int c = 0; c < kColumns; ++c) item->setForeground(c, grey);
    }
    list_->installEventFilter(this);
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { goTo(item); });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { showState(); });

    emptyNote_ = new QLabel(QStringLiteral("还没有书签：按 Ctrl+D 给正在读的地方加书签。"), this);
    emptyNote_->setObjectName(QStringLiteral("emptyNote"));
    emptyNote_->setWordWrap(true);
    emptyNote_->setAlignment(Qt::AlignCenter);

    goButton_ = button(QStringLiteral("转到(&G)"), QStringLiteral("goButton"), this);
    renameButton_ = button(QStringLiteral("重命名(&R)"), QStringLiteral("renameButton"), this);
    removeButton_ = button(QStringLiteral("删除(&D)"), QStringLiteral("removeButton"), this);
    closeButton_ = button(QStringLiteral("关闭"), QStringLiteral("closeButton"), this);
    goButton_->setDefault(true);
    connect(goButton_, &QPushButton::clicked, this, [this] { goTo(list_->currentItem()); });
    connect(renameButton_, &QPushButton::clicked, this, &TBookmarksDialog::renameCurrent);
    connect(removeButton_, &QPushButton::clicked, this, &TBookmarksDialog::removeCurrent);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(goButton_);
    buttons->addWidget(renameButton_);
    buttons->addWidget(removeButton_);
    buttons->addStretch();
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(emptyNote_, 1);
    layout->addLayout(buttons);
    setTabOrder(list_, goButton_);
    setTabOrder(goButton_, renameButton_);
    setTabOrder(renameButton_, removeButton_);
    setTabOrder(removeButton_, closeButton_);
    resize(640, 360);

    if (QTreeWidgetItem* first = list_->topLevelItem(0)) list_->setCurrentItem(first);
    showState();
    (list_->topLevelItemCount() > 0 ? static_cast<QWidget*>(list_) : closeButton_)->setFocus();
}

bool TBookmarksDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if (mods == Qt::NoModifier) {
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                goTo(list_->currentItem());
                return true;
            case Qt::Key_Delete:
                removeCurrent();
                return true;
            case Qt::Key_F2:
                renameCurrent();
                return true;
            default:
                break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TBookmarksDialog::goTo(QTreeWidgetItem* item) {
    if (!item) return;
    if (item->data(kTitle, kMissingRole).toBool()) {
        Dialogs().MessageBox(
            {this, QStringLiteral("“%1”所在的文件已不存在，无法转到。").arg(item->text(kTitle)),
             windowTitle(), TMessageIcon::Information});
        return;
    }
    chosen_ = item->data(kTitle, kIdRole).toString();
    emit GoTo(chosen_);
    accept();
}

void TBookmarksDialog::renameCurrent() {
    QTreeWidgetItem* item = list_->currentItem();
    if (!item) return;
    QInputDialog input(this);
    input.setObjectName(QStringLiteral("bookmarkTitleInput"));
    input.setWindowTitle(QStringLiteral("重命名书签"));
    input.setInputMode(QInputDialog::TextInput);
    // The store keeps titles of at most kMaxTitleChars: a longer one cannot be typed.
    constexpr int kMax = settings::TBookmarks::kMaxTitleChars;
    input.setLabelText(QStringLiteral("新标题（最长 %1 个字符）：").arg(kMax));
    input.setTextValue(item->text(kTitle));
    if (auto* edit = input.findChild<QLineEdit*>()) edit->setMaxLength(kMax);
    if (Dialogs().RunModal(input) != QDialog::Accepted) return;
    const QString title = input.textValue().trimmed();
    // An empty title would leave a row with nothing to read it by.
    if (title.isEmpty() || title == item->text(kTitle)) return;
    if (rename_ && rename_(item->data(kTitle, kIdRole).toString(), title))
        item->setText(kTitle, title);
}

void TBookmarksDialog::removeCurrent() {
    QTreeWidgetItem* item = list_->currentItem();
    if (!item) return;
    if (!remove_ || !remove_(item->data(kTitle, kIdRole).toString())) return;
    // The next row takes its place under the keys, or the one before when it was the last.
    const int at = list_->indexOfTopLevelItem(item);
    delete item;
    const int count = list_->topLevelItemCount();
    if (count > 0) list_->setCurrentItem(list_->topLevelItem(std::min(at, count - 1)));
    showState();
}

void TBookmarksDialog::showState() {
    const bool empty = list_->topLevelItemCount() == 0;
    const bool any = list_->currentItem() != nullptr;
    list_->setVisible(!empty);
    emptyNote_->setVisible(empty);
    goButton_->setEnabled(any);
    renameButton_->setEnabled(any);
    removeButton_->setEnabled(any);
    // The note is what a screen reader should say on opening an empty window.
    setAccessibleDescription(empty ? emptyNote_->text() : QString());
    if (empty && (list_->hasFocus() || !focusWidget() || !focusWidget()->isEnabled()))
        closeButton_->setFocus();
}

} // namespace orlenth
