#pragma once
// The chapter rules window (章节规则): how headings are found in the text on show, chosen
// from 自动, one matching rule or a regular expression of the reader's, with a count of what
// the choice finds in that text, worked out in the background a moment after each change
// (a change gives up the count under way without waiting for it), and of the lines too
// costly for the pattern to decide.
// It changes nothing itself: the owner reads Choice() once the dialog was accepted.

#include "framework/text/ChapterScan.h"

#include <QDialog>
#include <QTimer>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orlenth {

class TChapterRulesDialog : public QDialog {
    Q_OBJECT
public:
    // The combo box's rows: 自动, the rules in HeadingRule order, then 正则表达式.
    static constexpr int kAutomaticRow = 0;
    static constexpr int kPatternRow = static_cast<int>(text::kHeadingRuleCount) + 1;
    // A pattern's matches are counted up to this many ("at least" beyond).
    static constexpr std::size_t kMaxCounted = 5000;

    // `load` is the text the count is taken in (null: nothing is counted); `current` the
    // choice shown first.
    TChapterRulesDialog(std::shared_ptr<const text::TextLoad> load,
                        const text::ChapterChoice& current, QWidget* parent = nullptr);
    ~TChapterRulesDialog() override;

    // The choice as the controls show it.
    text::ChapterChoice Choice() const;
    // What the count says now (for tests and screen readers: the label's text).
    QString CountText() const;

private:
    void changed();
    void count();
    void showCount();

    std::shared_ptr<const text::TextLoad> load_;
    std::unique_ptr<text::ChapterScan> scan_;
    QComboBox* way_ = nullptr;
    QLineEdit* pattern_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* ok_ = nullptr;
    QTimer settle_; // a moment after the last change
    QTimer poll_;   // while a count runs
};

} // namespace orlenth
