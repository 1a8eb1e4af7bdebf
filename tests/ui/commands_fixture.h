#pragma once
// What the command tests share: a window whose handlers record their calls, for the
// component rules the main window cannot show (its own bindings are tested on it, in
// tests/app). Dialogs answer through tests/support/FakeDialogs.h.

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
    void First(orlenth::TComponent* s) { Record("First", s); }
    void Second(orlenth::TComponent* s) { Record("Second", s); }
    void Third(orlenth::TComponent* s) { Record("Third", s); }

private:
    void Record(const char* handler, orlenth::TComponent* sender) {
        calls.push_back(std::string(handler) + "(" + (sender ? sender->Name() : "null") + ")");
    }
};

} // namespace commandstest
