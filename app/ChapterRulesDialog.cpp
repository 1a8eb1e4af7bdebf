#include "app/ChapterRulesDialog.h"

#include "app/settings/FilePlaces.h"
#include "framework/text/UserPattern.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace orlenth {

namespace {

// Long enough that typing a pattern does not start a count at every key.
constexpr int kSettleMs = 300;
constexpr int kPollMs = 100;
// A file's place keeps its rule as "re:" and the pattern, in at most kMaxPathChars: a longer
// pattern could not be kept, and one past the matcher's own bound could not run, so neither can
// be typed.
constexpr int kMaxPatternChars =
    std::min<int>(settings::TFilePlaces::kMaxPathChars - 3, text::UserPattern::kMaxLength);

} // namespace

TChapterRulesDialog::TChapterRulesDialog(std::shared_ptr<const text::TextLoad> load,
                                         const text::ChapterChoice& current, QWidget* parent)
    : QDialog(parent), load_(std::move(load)) {
    setObjectName(QStringLiteral("chapterRulesDialog"));
    setWindowTitle(QStringLiteral("章节规则"));

    way_ = new QComboBox(this);
    way_->setObjectName(QStringLiteral("chapterWay"));
    way_->setAccessibleName(QStringLiteral("找章节的方式"));
    way_->addItem(QStringLiteral("自动"));
    for (std::size_t i = 0; i < text::kHeadingRuleCount; ++i)
        way_->addItem(text::HeadingRuleLabel(static_cast<text::HeadingRule>(i)));
    way_->addItem(QStringLiteral("正则表达式"));

    pattern_ = new QLineEdit(this);
    pattern_->setObjectName(QStringLiteral("chapterPattern"));
    pattern_->setAccessibleName(QStringLiteral("正则表达式"));
    pattern_->setPlaceholderText(QStringLiteral("例如 ^第.+[章回]"));
    pattern_->setMaxLength(kMaxPatternChars);
    pattern_->setToolTip(
        QStringLiteral("每一行去掉行首空白后与之比较；^ 是行首。匹配的行就是章节标题。"
                       "最长 %1 个字符。")
            .arg(kMaxPatternChars));

    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("chapterCount"));
    // Named by what it says, so that a screen reader reads the count itself.
    count_->setWordWrap(true);

    ok_ = new QPushButton(QStringLiteral("确定"), this);
    ok_->setObjectName(QStringLiteral("okButton"));
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* wayLabel = new QLabel(QStringLiteral("方式(&W)："), this);
    wayLabel->setBuddy(way_);
    auto* patternLabel = new QLabel(QStringLiteral("表达式(&E)："), this);
    patternLabel->setBuddy(pattern_);
    auto* form = new QFormLayout;
    form->addRow(wayLabel, way_);
    form->addRow(patternLabel, pattern_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(count_);
    layout->addStretch();
    layout->addLayout(buttons);
    setTabOrder(way_, pattern_);
    setTabOrder(pattern_, ok_);
    setTabOrder(ok_, cancel);
    resize(420, 180);

    switch (current.kind) {
    case text::ChapterChoice::Kind::Automatic:
        way_->setCurrentIndex(kAutomaticRow);
        break;
    case text::ChapterChoice::Kind::Rule:
        way_->setCurrentIndex(static_cast<int>(current.rule) + 1);
        break;
    case text::ChapterChoice::Kind::Pattern:
        way_->setCurrentIndex(kPatternRow);
        pattern_->setText(current.pattern);
        break;
    }

    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] { count(); });
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] { showCount(); });
    connect(way_, &QComboBox::currentIndexChanged, this, [this] { changed(); });
    connect(pattern_, &QLineEdit::textChanged, this, [this] { changed(); });
    changed();
    // The first count needs no settling: nothing is being typed yet.
    settle_.stop();
    count();
}

TChapterRulesDialog::~TChapterRulesDialog() = default;

text::ChapterChoice TChapterRulesDialog::Choice() const {
    text::ChapterChoice choice;
    const int row = way_->currentIndex();
    if (row == kPatternRow) {
        if (!pattern_->text().isEmpty()) {
            choice.kind = text::ChapterChoice::Kind::Pattern;
            choice.pattern = pattern_->text();
        }
    } else if (row > kAutomaticRow) {
        choice.kind = text::ChapterChoice::Kind::Rule;
        choice.rule = static_cast<text::HeadingRule>(row - 1);
    }
    return choice;
}

QString TChapterRulesDialog::CountText() const {
    return count_->text();
}

void TChapterRulesDialog::changed() {
    const bool byPattern = way_->currentIndex() == kPatternRow;
    pattern_->setEnabled(byPattern);
    // An expression that is not one is said at once, and cannot be chosen.
    QString error;
    if (byPattern) {
        const QString pattern = pattern_->text();
        QString why;
        qsizetype at = -1;
        if (pattern.isEmpty())
            error = QStringLiteral("请输入正则表达式。");
        else if (pattern.size() > text::UserPattern::kMaxLength)
            error = QStringLiteral("正则表达式太长：最多 %1 个字符。")
                        .arg(text::UserPattern::kMaxLength);
        else if (!text::UserPattern::Check(pattern, &why, &at))
            error = QStringLiteral("正则表达式有误（第 %1 个字符）：%2").arg(at + 1).arg(why);
    }
    ok_->setEnabled(error.isEmpty());
    scan_.reset();
    poll_.stop();
    if (!error.isEmpty()) {
        settle_.stop();
        count_->setText(error);
        return;
    }
    count_->setText(QStringLiteral("正在查找……"));
    settle_.start();
}

void TChapterRulesDialog::count() {
    if (!ok_->isEnabled() || !load_) return;
    scan_ = std::make_unique<text::ChapterScan>(load_, Choice(), kMaxCounted);
    showCount();
    poll_.start();
}

void TChapterRulesDialog::showCount() {
    if (!scan_) return;
    const text::ChapterList list = scan_->Snapshot();
    const auto n = static_cast<qulonglong>(list.headings.size());
    // Lines too costly for the pattern count as not matching, and the reader is told how
    // many: a pattern that backtracks without end is what to change then.
    const QString gaveUp = list.gaveUpLines == 0
                               ? QString()
                               : QStringLiteral("；%1 行太复杂，没有比完，算作不是章节")
                                     .arg(static_cast<qulonglong>(list.gaveUpLines));
    if (!list.finished) {
        count_->setText(QStringLiteral("正在查找……已找到 %1 个").arg(n) + gaveUp);
        return;
    }
    poll_.stop();
    if (list.stoppedEarly)
        count_->setText(QStringLiteral("至少找到 %1 个章节").arg(n) + gaveUp);
    else if (n == 0)
        count_->setText(QStringLiteral("没有找到章节") + gaveUp);
    else
        count_->setText(QStringLiteral("找到 %1 个章节").arg(n) + gaveUp);
}

} // namespace orlenth
