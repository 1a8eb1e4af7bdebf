#pragma once
// What the command tests share: a window whose handlers record their calls (named as the
// main window's description names them) and a dialog seam that answers without a loop.

#include "framework/ui/Dialogs.h"
#include "framework/ui/Form.h"

#include <QColor>
#include <QFont>
#include <QMenu>
#include <QPoint>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Readable failure messages for texts.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace commandstest {

class TCommandsForm : public orlenth::TCustomForm {
    Q_OBJECT
public:
    explicit TCommandsForm(orlenth::TComponent* owner = nullptr) : TCustomForm(owner) {}
    // "Handler(Sender)" for each call, in order.
    std::vector<std::string> calls;

public slots:
    void ToolButton7Click(orlenth::TComponent* s) { Record("ToolButton7Click", s); }
    void ToolButton5Click(orlenth::TComponent* s) { Record("ToolButton5Click", s); }
    void N7Click(orlenth::TComponent* s) { Record("N7Click", s); }
    void N8Click(orlenth::TComponent* s) { Record("N8Click", s); }
    void N15Click(orlenth::TComponent* s) { Record("N15Click", s); }
    void changeFntExecute(orlenth::TComponent* s) { Record("changeFntExecute", s); }
    void ycList1Execute(orlenth::TComponent* s) { Record("ycList1Execute", s); }
    void BieJieExecute(orlenth::TComponent* s) { Record("BieJieExecute", s); }

private:
    void Record(const char* handler, orlenth::TComponent* sender) {
        calls.push_back(std::string(handler) + "(" + (sender ? sender->Name() : "null") + ")");
    }
};

// Menus: records where each ran and triggers the action at `pick` (none when negative).
// Fonts and colours: records what was offered and answers with `confirm`, after letting
// `edit` change the values.
class TFakeDialogs : public orlenth::TDialogs {
public:
    struct Log {
        std::vector<QPoint> menuPositions;
        std::vector<QStringList> menuTexts;
        int pick = -1;
        QFont offeredFont;
        QColor offeredColor;
        QWidget* owner = nullptr;
        bool confirm = true;
        std::function<void(QFont&, QColor&)> editFont;
        std::function<void(QColor&)> editColor;
    };
    explicit TFakeDialogs(Log& log) : log_(log) {}

    void MessageBox(const orlenth::TMessageBoxRequest&) override {}
    int RunModal(QWidget&) override { return 0; }
    void ExecMenu(QMenu& menu, const QPoint& globalPos) override {
        log_.menuPositions.push_back(globalPos);
        QStringList texts;
        for (QAction* a : menu.actions()) texts << (a->isSeparator() ? "-" : a->text());
        log_.menuTexts.push_back(texts);
        if (log_.pick >= 0 && log_.pick < menu.actions().size())
            menu.actions()[log_.pick]->trigger();
    }
    bool ChooseFont(QFont& font, QColor& color, QWidget* owner) override {
        log_.offeredFont = font;
        log_.offeredColor = color;
        log_.owner = owner;
        if (log_.editFont) log_.editFont(font, color);
        return log_.confirm;
    }
    bool ChooseColor(QColor& color, QWidget* owner) override {
        log_.offeredColor = color;
        log_.owner = owner;
        if (log_.editColor) log_.editColor(color);
        return log_.confirm;
    }

private:
    Log& log_;
};

} // namespace commandstest
