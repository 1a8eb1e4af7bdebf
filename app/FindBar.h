#pragma once
// The find bar under the reading page: the field, 上一个 / 下一个, the result and 关闭. It
// only takes the reader's keys and shows what it is told; the window does the finding.
// Enter and F3 ask for the next hit, Shift+Enter and Shift+F3 for the one before, Esc
// closes, and the window's own Enter (auto-scroll) never fires from the field.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace orlenth {

class TFindBar : public QWidget {
    Q_OBJECT
public:
    explicit TFindBar(QWidget* parent = nullptr);

    QLineEdit* Field() const { return field_; }
    QLabel* Result() const { return result_; }
    QString Typed() const { return field_->text(); }

    // Focus in the field, its text selected, so that typing replaces it.
    void FocusField();
    // The result line ("第 2 处 / 共 9 处", "没有找到", ...), told to screen readers when it
    // changes.
    void SetResult(const QString& text);

signals:
    void Edited(const QString& typed);
    void NextAsked();
    void PreviousAsked();
    void CloseAsked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* field_;
    QPushButton* previous_;
    QPushButton* next_;
    QLabel* result_;
    QPushButton* close_;
};

} // namespace orlenth
