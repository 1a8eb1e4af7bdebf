#include "framework/ui/Dialogs.h"

#include "framework/ui/FontChooser.h"
#include "framework/ui/OpenPathDialog.h"

#include <QColorDialog>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace orlenth {

namespace {

class QtDialogs final : public TDialogs {
public:
    void MessageBox(const TMessageBoxRequest& r) override {
        // A message box breaks lines at every CR, with or without its LF, as the
        // messages of this program are written.
        QString text = r.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QMessageBox box(r.icon == TMessageIcon::Stop ? QMessageBox::Critical
                                                     : QMessageBox::Information,
                        r.caption, text, QMessageBox::Ok, r.owner);
        // Text as given: an error message is no markup.
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }

    int RunModal(QWidget& window) override {
        if (auto* dialog = qobject_cast<QDialog*>(&window)) return dialog->exec();
        window.setWindowModality(Qt::ApplicationModal);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        QPointer<QWidget> guard(&window);
        QEventLoop loop;
        window.installEventFilter(&closeWatcher_);
        closeWatcher_.loop = &loop;
        window.show();
        loop.exec(QEventLoop::DialogExec);
        if (guard) guard->removeEventFilter(&closeWatcher_);
        return 0;
    }

private:
    // Ends the modal loop when the window hides or closes.
    struct CloseWatcher : QObject {
        QEventLoop* loop = nullptr;
        bool eventFilter(QObject*, QEvent* e) override {
            if ((e->type() == QEvent::Hide || e->type() == QEvent::Close) && loop) loop->quit();
            return false;
        }
    } closeWatcher_;
};

std::unique_ptr<TDialogs>& current() {
    static std::unique_ptr<TDialogs> d = std::make_unique<QtDialogs>();
    return d;
}

} // namespace

void TDialogs::ExecMenu(QMenu& menu, const QPoint& globalPos) {
    menu.exec(globalPos);
}

bool TDialogs::ChooseFont(QFont& font, QColor& color, QWidget* owner) {
    TFontChooser chooser(owner);
    chooser.SetCurrentFont(font);
    chooser.SetColor(color);
    if (chooser.exec() != QDialog::Accepted) return false;
    font = chooser.CurrentFont();
    color = chooser.Color();
    return true;
}

bool TDialogs::ChooseColor(QColor& color, QWidget* owner) {
    const QColor chosen = QColorDialog::getColor(color, owner);
    // An invalid colour is how the dialog says it was cancelled.
    if (!chosen.isValid()) return false;
    color = chosen;
    return true;
}

QString TDialogs::ChooseOpenPath(QWidget* owner, const QString& startDir) {
    TOpenPathDialog dialog(owner, startDir);
    dialog.exec();
    return dialog.ChosenPath();
}

TDialogs& Dialogs() {
    return *current();
}

void SetDialogs(std::unique_ptr<TDialogs> dialogs) {
    current() = dialogs ? std::move(dialogs) : std::make_unique<QtDialogs>();
}

} // namespace orlenth
