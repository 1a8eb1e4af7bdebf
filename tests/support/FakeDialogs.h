#pragma once
// The dialog seam every window test installs: it records what the program asks of a
// person and answers at once, as the test has set it to, so no test waits on a loop.

#include "framework/ui/Dialogs.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace testsupport {

// What the fake saw, in order, and how it answers.
struct TDialogLog {
    std::vector<orlenth::TMessageBoxRequest> boxes;
    std::vector<QString> modalWindows; // window names
    // Modal windows return `modalResult` at once unless `modalLoop` runs them for real.
    int modalResult = 2;
    std::function<int(QWidget&)> modalLoop;

    std::vector<QPoint> menuPositions;
    std::vector<QStringList> menuTexts; // "-" for a separator
    int pick = -1;                      // the menu entry chosen; none when negative
    // Runs while the menu is open, before the pick: what a screen reader meets then.
    std::function<void(QMenu&)> whileOpen;

    // The font and colour dialogs: what was offered and to which window. `edit` changes the
    // values in place even when the answer is to cancel, so a caller that takes them back
    // regardless shows.
    QFont offeredFont;
    QColor offeredColor;
    QWidget* owner = nullptr;
    bool confirm = false;
    std::function<void(QFont&, QColor&)> editFont;
    std::function<void(QColor&)> editColor;

    // The open dialog: each call takes the next answer (a cancel, empty, once they run out)
    // and is recorded with its owner and start folder.
    std::deque<QString> openPaths;
    struct TOpenPathCall {
        QWidget* owner;
        QString startDir;
    };
    std::vector<TOpenPathCall> openPathCalls;
};

class TFakeDialogs final : public orlenth::TDialogs {
public:
    explicit TFakeDialogs(TDialogLog& log) : log_(log) {}
    void MessageBox(const orlenth::TMessageBoxRequest& request) override;
    int RunModal(QWidget& window) override;
    void ExecMenu(QMenu& menu, const QPoint& globalPos) override;
    bool ChooseFont(QFont& font, QColor& color, QWidget* owner) override;
    bool ChooseColor(QColor& color, QWidget* owner) override;
    QString ChooseOpenPath(QWidget* owner, const QString& startDir) override;

private:
    TDialogLog& log_;
};

// Installs the fake over a log emptied for the caller and returns that log; it stays
// valid until the next call.
TDialogLog& InstallFakeDialogs();

} // namespace testsupport
