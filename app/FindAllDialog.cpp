#include "app/FindAllDialog.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace orlenth {

namespace {

constexpr int kTextRole = Qt::UserRole;
constexpr int kOffsetRole = Qt::UserRole + 1;
constexpr int kLengthRole = Qt::UserRole + 2;

} // namespace

TFindAllDialog::TFindAllDialog(QWidget* parent, Gather gather, Open open)
    : QDialog(parent), gather_(std::move(gather)), open_(std::move(open)),
      field_(new QLineEdit(this)), start_(new QPushButton(QString::fromUtf8("查找"), this)),
      stop_(new QPushButton(QString::fromUtf8("停止"), this)), results_(new QTreeWidget(this)),
      progress_(new QLabel(this)) {
    setWindowTitle(QString::fromUtf8("查找全部"));
    setModal(false);
    setAccessibleName(QString::fromUtf8("查找全部"));
    auto* top = new QHBoxLayout;
    auto* label = new QLabel(QString::fromUtf8("查找内容(&N)："), this);
    label->setBuddy(field_);
    top->addWidget(label);
    top->addWidget(field_, 1);
    top->addWidget(start_);
    top->addWidget(stop_);
    field_->setAccessibleName(QString::fromUtf8("查找内容"));
    start_->setAccessibleName(QString::fromUtf8("查找"));
    stop_->setAccessibleName(QString::fromUtf8("停止"));
    // Enter in the field starts the search itself: no default button, so that Enter on
    // a result opens it.
    start_->setAutoDefault(false);
    stop_->setAutoDefault(false);
    stop_->setEnabled(false);
    results_->setAccessibleName(QString::fromUtf8("查找全部结果"));
    results_->setColumnCount(3);
    results_->setHeaderLabels(
        {QString::fromUtf8("类别"), QString::fromUtf8("标题"), QString::fromUtf8("上下文")});
    results_->setRootIsDecorated(false);
    results_->setUniformRowHeights(true);
    results_->setAllColumnsShowFocus(true);
    results_->header()->setStretchLastSection(true);
    results_->setColumnWidth(0, 80);
    results_->setColumnWidth(1, 160);
    results_->installEventFilter(this);
    field_->installEventFilter(this);
    progress_->setAccessibleName(QString::fromUtf8("查找进度"));
    progress_->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(results_, 1);
    layout->addWidget(progress_);
    resize(640, 420);
    connect(start_, &QPushButton::clicked, this, &TFindAllDialog::Start);
    connect(field_, &QLineEdit::returnPressed, this, &TFindAllDialog::Start);
    connect(stop_, &QPushButton::clicked, this, &TFindAllDialog::Stop);
    connect(results_, &QTreeWidget::itemActivated, this, [this] { OpenCurrent(); });
}

TFindAllDialog::~TFindAllDialog() {
    worker_.Stop();
}

void TFindAllDialog::Start() {
    worker_.Stop();
    ++run_;
    results_->clear();
    texts_ = gather_ ? gather_() : std::vector<TFindAllText>{};
    typed_ = field_->text();
    const text::TSearchPattern pattern(typed_);
    if (pattern.empty()) {
        running_ = false;
        progress_->setText(QString());
        return;
    }
    running_ = true;
    stop_->setEnabled(true);
    ShowProgress({});
    const std::size_t run = run_;
    // The worker owns the texts while it runs; the rows name them by index, and the paths
    // and titles stay here.
    auto work = std::make_shared<std::vector<TFindAllText>>();
    work->reserve(texts_.size());
    for (TFindAllText& t : texts_) {
        work->push_back(
            {t.category, t.entry, {}, {}, std::move(t.article), t.path, {}, t.encoding});
        t.article = TLineList();
    }
    worker_.Run([this, run, work, pattern](const std::atomic<bool>& cancel) {
        const auto post = [this, run](auto&& call) {
            QMetaObject::invokeMethod(
                this,
                [this, run, call = std::forward<decltype(call)>(call)]() mutable {
                    if (run == run_) call();
                },
                Qt::QueuedConnection);
        };
        const TFindAllProgress figures = FindInAll(
            *work, pattern, kMaxResults, cancel,
            [&](std::vector<TFindAllHit>&& hits) {
                post([this, hits = std::move(hits)] {
                    QList<QTreeWidgetItem*> rows;
                    rows.reserve(static_cast<qsizetype>(hits.size()));
                    for (const TFindAllHit& h : hits) {
                        const TFindAllText& t = texts_[h.text];
                        auto* row = new QTreeWidgetItem({t.categoryName, t.title, h.context});
                        row->setData(0, kTextRole, static_cast<qulonglong>(h.text));
                        row->setData(0, kOffsetRole, static_cast<qulonglong>(h.hit.offset));
                        row->setData(0, kLengthRole, static_cast<qulonglong>(h.hit.length));
                        row->setToolTip(2, h.context);
                        rows.append(row);
                    }
                    const bool first = results_->topLevelItemCount() == 0;
                    results_->addTopLevelItems(rows);
                    if (first) results_->setCurrentItem(results_->topLevelItem(0));
                });
            },
            [&](const TFindAllProgress& f) { post([this, f] { ShowProgress(f); }); });
        const bool stopped = cancel.load();
        post([this, figures, stopped] { Finished(figures, stopped); });
    });
}

void TFindAllDialog::Stop() {
    if (!running_) return;
    worker_.Stop();
    // The worker's last figures may not have arrived: the list has what it has.
    ++run_;
    TFindAllProgress figures;
    figures.hits = static_cast<std::size_t>(results_->topLevelItemCount());
    Finished(figures, true);
}

void TFindAllDialog::reject() {
    Stop();
    QDialog::reject();
}

void TFindAllDialog::ShowProgress(const TFindAllProgress& f) {
    progress_->setText(QString::fromUtf8("已查 %1 / %2 篇，找到 %3 处")
                           .arg(f.searched)
                           .arg(texts_.size())
                           .arg(f.hits));
}

void TFindAllDialog::Finished(const TFindAllProgress& f, bool stopped) {
    running_ = false;
    stop_->setEnabled(false);
    QString text;
    if (stopped)
        text = QString::fromUtf8("已停止，找到 %1 处").arg(results_->topLevelItemCount());
    else if (f.cut)
        text = QString::fromUtf8("已查 %1 / %2 篇，结果太多，只列出前 %3 处")
                   .arg(f.searched)
                   .arg(texts_.size())
                   .arg(kMaxResults);
    else if (f.hits == 0)
        text = QString::fromUtf8("已查 %1 篇，没有找到").arg(texts_.size());
    else
        text = QString::fromUtf8("已查 %1 / %2 篇，找到 %3 处")
                   .arg(f.searched)
                   .arg(texts_.size())
                   .arg(f.hits);
    if (f.unreadable > 0) text += QString::fromUtf8("（%1 个文件无法读取）").arg(f.unreadable);
    progress_->setText(text);
    QAccessibleEvent changed(progress_, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void TFindAllDialog::OpenCurrent() {
    const QTreeWidgetItem* row = results_->currentItem();
    if (!row || !open_) return;
    const auto index = static_cast<std::size_t>(row->data(0, kTextRole).toULongLong());
    if (index >= texts_.size()) return;
    const text::TSearchHit hit{static_cast<std::size_t>(row->data(0, kOffsetRole).toULongLong()),
                               static_cast<std::size_t>(row->data(0, kLengthRole).toULongLong())};
    open_(texts_[index], hit, typed_);
}

bool TFindAllDialog::eventFilter(QObject* watched, QEvent* event) {
    // Enter is the field's and the list's here, whatever the main window binds it to.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    }
    // Enter on a result opens it.
    if (watched == results_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            OpenCurrent();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace orlenth
