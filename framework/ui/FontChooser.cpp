#include "framework/ui/FontChooser.h"

#include "framework/ui/Dialogs.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace orlenth {

namespace {

// The styles a page font can hold: bold and italic, each simulated where a face lacks it.
// The row number's bits are italic (1) and bold (2).
const char* const kStyles[] = {"常规", "倾斜", "粗体", "粗偏斜体"};

int styleRow(const QFont& f) {
    return (f.bold() ? 2 : 0) + (f.italic() ? 1 : 0);
}

int wholePoints(const QFont& f) {
    if (f.pointSizeF() > 0) return static_cast<int>(std::lround(f.pointSizeF()));
    return static_cast<int>(std::lround(f.pixelSize() * 72.0 / 96.0));
}

// A list as wide as its rows need. Qt gives every list the same natural 256 × 192, and the
// three side by side made the dialog wider than the window it opens over.
class FittedList : public QListWidget {
public:
    // `widest` is the longest row the list is meant to show whole.
    FittedList(const QString& widest, QWidget* parent) : QListWidget(parent), widest_(widest) {}
    QSize sizeHint() const override {
        const int rows = fontMetrics().horizontalAdvance(widest_) + 12;
        const int frame = 2 * frameWidth();
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        return {rows + frame + bar, 8 * fontMetrics().height() + frame};
    }

private:
    QString widest_;
};

QIcon swatch(const QColor& c) {
    QPixmap pixmap(28, 14);
    pixmap.fill(c);
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

} // namespace

TFontChooser::TFontChooser(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("字体"));

    filter_ = new QLineEdit(this);
    filter_->setObjectName("filter");
    filter_->setPlaceholderText(QString::fromUtf8("筛选"));
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);
    // Most face names fit; a longer one is cut at the list's edge, or read in full in a
    // wider dialog.
    families_ = new FittedList(QStringLiteral("Noto Sans CJK SC Medium"), this);
    families_->setObjectName("families");
    styles_ = new FittedList(QString::fromUtf8(kStyles[3]), this);
    styles_->setObjectName("styles");
    for (const char* s : kStyles) styles_->addItem(QString::fromUtf8(s));
    size_ = new QSpinBox(this);
    size_->setObjectName("size");
    // The dialog sets no size limits: anything a pixel height can hold.
    size_->setRange(1, 1638);
    sizes_ = new FittedList(QStringLiteral("1638"), this);
    sizes_->setObjectName("sizes");

    auto* familyLabel = new QLabel(QString::fromUtf8("字体(&F):"), this);
    familyLabel->setBuddy(filter_);
    auto* styleLabel = new QLabel(QString::fromUtf8("字形(&Y):"), this);
    styleLabel->setBuddy(styles_);
    auto* sizeLabel = new QLabel(QString::fromUtf8("大小(&S):"), this);
    sizeLabel->setBuddy(size_);

    auto* effects = new QGroupBox(QString::fromUtf8("效果"), this);
    strikeOut_ = new QCheckBox(QString::fromUtf8("删除线(&K)"), effects);
    strikeOut_->setObjectName("strikeOut");
    underline_ = new QCheckBox(QString::fromUtf8("下划线(&U)"), effects);
    underline_->setObjectName("underline");
    colorButton_ = new QPushButton(effects);
    colorButton_->setObjectName("color");
    colorButton_->setText(QString::fromUtf8("..."));
    colorButton_->setAutoDefault(false);
    colorButton_->setAccessibleName(QString::fromUtf8("颜色"));
    auto* colorLabel = new QLabel(QString::fromUtf8("颜色(&C):"), effects);
    colorLabel->setBuddy(colorButton_);
    auto* effectsLayout = new QGridLayout(effects);
    effectsLayout->addWidget(strikeOut_, 0, 0, 1, 2);
    effectsLayout->addWidget(underline_, 1, 0, 1, 2);
    effectsLayout->addWidget(colorLabel, 2, 0);
    effectsLayout->addWidget(colorButton_, 2, 1);

    auto* sampleBox = new QGroupBox(QString::fromUtf8("示例"), this);
    sample_ = new QLabel(QString::fromUtf8("汉字示例 AaBbYyZz"), sampleBox);
    sample_->setObjectName("sample");
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setAutoFillBackground(true);
    sample_->setFrameShape(QFrame::StyledPanel);
    // A large size must not grow the dialog; the sample shows what fits.
    sample_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    sample_->setMinimumSize(240, 64);
    auto* sampleLayout = new QGridLayout(sampleBox);
    sampleLayout->addWidget(sample_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("取消"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(familyLabel, 0, 0);
    grid->addWidget(filter_, 1, 0);
    grid->addWidget(families_, 2, 0, 2, 1);
    grid->addWidget(styleLabel, 0, 1);
    grid->addWidget(styles_, 1, 1, 3, 1);
    grid->addWidget(sizeLabel, 0, 2);
    grid->addWidget(size_, 1, 2);
    grid->addWidget(sizes_, 2, 2, 2, 1);
    grid->addWidget(effects, 4, 0);
    grid->addWidget(sampleBox, 4, 1, 1, 2);
    grid->addWidget(buttons, 5, 0, 1, 3);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);

    setTabOrder(filter_, families_);
    setTabOrder(families_, styles_);
    setTabOrder(styles_, size_);
    setTabOrder(size_, sizes_);
    setTabOrder(sizes_, strikeOut_);
    setTabOrder(strikeOut_, underline_);
    setTabOrder(underline_, colorButton_);

    fillFamilies(QString());
    connect(filter_, &QLineEdit::textChanged, this, &TFontChooser::applyFilter);
    connect(families_, &QListWidget::currentRowChanged, this, [this] {
        fillSizes();
        updateSample();
    });
    connect(styles_, &QListWidget::currentRowChanged, this, &TFontChooser::updateSample);
    connect(size_, &QSpinBox::valueChanged, this, [this](int points) {
        const QList<QListWidgetItem*> match =
            sizes_->findItems(QString::number(points), Qt::MatchExactly);
        const QSignalBlocker block(sizes_);
        sizes_->setCurrentItem(match.isEmpty() ? nullptr : match.front());
        updateSample();
    });
    connect(sizes_, &QListWidget::currentTextChanged, this, [this](const QString& text) {
        if (!text.isEmpty()) size_->setValue(text.toInt());
    });
    connect(strikeOut_, &QCheckBox::toggled, this, &TFontChooser::updateSample);
    connect(underline_, &QCheckBox::toggled, this, &TFontChooser::updateSample);
    connect(colorButton_, &QPushButton::clicked, this, &TFontChooser::chooseColor);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    SetColor(palette().color(QPalette::WindowText));
    SetCurrentFont(font());
}

void TFontChooser::fillFamilies(const QString& extra) {
    QStringList names;
    for (const QString& f : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(f)) names << f;
    const auto same = [&](const QString& n) { return n.compare(extra, Qt::CaseInsensitive) == 0; };
    if (!extra.isEmpty() && std::none_of(names.begin(), names.end(), same)) names << extra;
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    const QSignalBlocker block(families_);
    families_->clear();
    families_->addItems(names);
}

void TFontChooser::selectFamily(const QString& family) {
    for (int i = 0; i < families_->count(); ++i) {
        if (families_->item(i)->text().compare(family, Qt::CaseInsensitive) == 0) {
            families_->setCurrentRow(i);
            families_->scrollToItem(families_->item(i), QAbstractItemView::PositionAtCenter);
            return;
        }
    }
}

void TFontChooser::SetCurrentFont(const QFont& font) {
    initial_ = font;
    initialPoints_ = std::max(1, wholePoints(font));
    initialStyle_ = styleRow(font);
    {
        const QSignalBlocker block(filter_);
        filter_->clear();
    }
    fillFamilies(font.family());
    selectFamily(font.family());
    fillSizes();
    styles_->setCurrentRow(initialStyle_);
    size_->setValue(initialPoints_);
    strikeOut_->setChecked(font.strikeOut());
    underline_->setChecked(font.underline());
    updateSample();
}

QFont TFontChooser::CurrentFont() const {
    QFont f = initial_;
    const QString family = selectedFamily();
    if (!family.isEmpty() && family.compare(initial_.family(), Qt::CaseInsensitive) != 0)
        f.setFamily(family);
    if (styles_->currentRow() != initialStyle_) {
        f.setBold((styles_->currentRow() & 2) != 0);
        f.setItalic((styles_->currentRow() & 1) != 0);
    }
    if (size_->value() != initialPoints_) f.setPointSize(size_->value());
    f.setStrikeOut(strikeOut_->isChecked());
    f.setUnderline(underline_->isChecked());
    return f;
}

void TFontChooser::SetColor(const QColor& color) {
    color_ = color;
    colorButton_->setIcon(swatch(color));
    colorButton_->setToolTip(color.name());
    updateSample();
}

QString TFontChooser::selectedFamily() const {
    const QListWidgetItem* item = families_->currentItem();
    return item ? item->text() : QString();
}

void TFontChooser::applyFilter(const QString& text) {
    QListWidgetItem* exact = nullptr;
    QListWidgetItem* first = nullptr;
    for (int i = 0; i < families_->count(); ++i) {
        QListWidgetItem* item = families_->item(i);
        const bool shown = item->text().contains(text, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && !first) first = item;
        if (item->text().compare(text, Qt::CaseInsensitive) == 0) exact = item;
    }
    if (exact)
        families_->setCurrentItem(exact);
    else if (first && (!families_->currentItem() || families_->currentItem()->isHidden()))
        families_->setCurrentItem(first);
    if (families_->currentItem()) families_->scrollToItem(families_->currentItem());
}

void TFontChooser::fillSizes() {
    const QString family = selectedFamily();
    QList<int> points = QFontDatabase::pointSizes(family);
    if (points.isEmpty()) points = QFontDatabase::standardSizes();
    const QSignalBlocker block(sizes_);
    sizes_->clear();
    for (int p : points) sizes_->addItem(QString::number(p));
    const QList<QListWidgetItem*> match =
        sizes_->findItems(QString::number(size_->value()), Qt::MatchExactly);
    if (!match.isEmpty()) sizes_->setCurrentItem(match.front());
}

void TFontChooser::chooseColor() {
    QColor c = color_;
    if (Dialogs().ChooseColor(c, this)) SetColor(c);
}

void TFontChooser::updateSample() {
    if (!sample_) return;
    sample_->setFont(CurrentFont());
    QPalette p = sample_->palette();
    p.setColor(QPalette::WindowText, color_);
    p.setColor(QPalette::Window, palette().color(QPalette::Base));
    sample_->setPalette(p);
}

bool TFontChooser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == filter_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
            key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(families_, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace orlenth
