#pragma once
// The one seam through which the program shows message boxes and runs modal windows, so
// that tests can watch them without a loop that waits for a person.

#include <QString>

#include <functional>
#include <memory>

class QColor;
class QFont;
class QMenu;
class QPoint;
class QWidget;

namespace orlenth {

enum class TMessageIcon { Stop, Information };

struct TMessageBoxRequest {
    QWidget* owner = nullptr;
    QString text;
    QString caption;
    TMessageIcon icon = TMessageIcon::Stop;
};

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // Shows a message box with one OK button and returns when it is dismissed.
    virtual void MessageBox(const TMessageBoxRequest& request) = 0;
    // Runs a window modally and returns when it has closed.
    virtual int RunModal(QWidget& window) = 0;
    // Runs a pop-up menu at a point on the screen; returns when it has closed, after the
    // chosen action (if any) has been triggered.
    virtual void ExecMenu(QMenu& menu, const QPoint& globalPos);
    // Lets the user choose a font and its colour, starting from the values given. On
    // confirmation both are replaced and the result is true; on cancel neither changes.
    // The default dialog asks for a colour through ChooseColor.
    virtual bool ChooseFont(QFont& font, QColor& color, QWidget* owner);
    // Lets the user choose a colour; the same contract as ChooseFont.
    virtual bool ChooseColor(QColor& color, QWidget* owner);
    // Lets the user choose something to open: one existing file, or a folder. Starts in
    // `startDir` (the working directory when it is empty or names no folder) and returns the
    // absolute path chosen, empty when cancelled. Nothing is opened or read but the folder
    // listings the dialog shows. The default is TOpenPathDialog (framework/ui/OpenPathDialog.h).
    virtual QString ChooseOpenPath(QWidget* owner, const QString& startDir);
};

// The dialogs in use: Qt's own unless a test has installed others.
TDialogs& Dialogs();
// Installs dialogs for the rest of the process (tests); null restores Qt's.
void SetDialogs(std::unique_ptr<TDialogs> dialogs);

} // namespace orlenth
