#pragma once
// The one seam through which the program shows message boxes and runs modal windows, so
// that tests can watch them without a loop that waits for a person.

#include <QString>

#include <functional>
#include <memory>

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
};

// The dialogs in use: Qt's own unless a test has installed others.
TDialogs& Dialogs();
// Installs dialogs for the rest of the process (tests); null restores Qt's.
void SetDialogs(std::unique_ptr<TDialogs> dialogs);

} // namespace orlenth
