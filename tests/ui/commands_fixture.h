#pragma once
// What the command tests share: a window whose handlers record their calls (named as the
// main window's description names them). Dialogs answer through tests/support/FakeDialogs.h.

#include "framework/ui/Form.h"

#include <QString>

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

} // namespace commandstest
