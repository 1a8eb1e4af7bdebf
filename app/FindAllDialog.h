#pragma once
// 查找全部: a window beside the main one (not modal) with a field, 查找 and 停止, the
// results list (类别 / 标题 / 上下文) filling as a worker goes over every text, and the
// progress figure. Opening a result (Enter or a double click) asks the main window to show
// it. Every control is reached by keyboard and named for screen readers.

#include "app/FindAllSearch.h"
#include "app/SearchWorker.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <vector>

namespace orlenth {

class TFindAllDialog : public QDialog {
    Q_OBJECT
public:
    // The most results listed; the search stops there and says so.
    static constexpr std::size_t kMaxResults = 10000;

    // `gather` lists the texts to search when 查找 is pressed (on the window's thread);
    // `open` shows a result: the text it is in, the hit, and what was typed.
    using Gather = std::function<std::vector<TFindAllText>()>;
    using Open = std::function<void(const TFindAllText&, const text::TSearchHit&, const QString&)>;
    TFindAllDialog(QWidget* parent, Gather gather, Open open);
    ~TFindAllDialog() override;

    QLineEdit* Field() const { return field_; }
    QTreeWidget* Results() const { return results_; }
    QLabel* Progress() const { return progress_; }
    QPushButton* StartButton() const { return start_; }
    QPushButton* StopButton() const { return stop_; }
    // Whether a search is running.
    bool Searching() const { return running_; }

    // Starts a search for what the field holds (after stopping one running).
    void Start();
    // Stops the running search; what was found stays listed.
    void Stop();
    // Opens the current result, as Enter does.
    void OpenCurrent();

    // Closing (Esc) stops the search.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Finished(const TFindAllProgress& figures, bool stopped);
    void ShowProgress(const TFindAllProgress& figures);

    Gather gather_;
    Open open_;
    QLineEdit* field_;
    QPushButton* start_;
    QPushButton* stop_;
    QTreeWidget* results_;
    QLabel* progress_;
    // The texts of the last search: the rows point into it. Built-in articles keep no text
    // once searched, folder files only their path.
    std::vector<TFindAllText> texts_;
    QString typed_;
    std::size_t run_ = 0;
    bool running_ = false;
    TSearchWorker worker_; // last: stopped before the rest goes
};

} // namespace orlenth
