#pragma once
// Shared by the window tests: the program's set-up without its loop, and a dialog seam
// that records message boxes and modal runs instead of waiting for a person.

#include "framework/ui/Dialogs.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace apptest {

struct Recorded {
    std::vector<orlenth::TMessageBoxRequest> boxes;
    std::vector<QString> modalWindows; // window names, in order
    std::vector<QPoint> menus;         // where pop-up menus were asked to show
    // What the font and colour dialogs answer: null cancels.
    std::function<bool(QFont&, QColor&)> chooseFont;
    std::function<bool(QColor&)> chooseColor;
};

class RecordingDialogs : public orlenth::TDialogs {
public:
    explicit RecordingDialogs(Recorded* r) : r_(r) {}
    void MessageBox(const orlenth::TMessageBoxRequest& request) override {
        r_->boxes.push_back(request);
    }
    // Modal windows return at once unless a test asks for a real loop.
    int RunModal(QWidget& window) override;
    static std::function<int(QWidget&)> realLoop;
    void ExecMenu(QMenu& menu, const QPoint& globalPos) override;
    bool ChooseFont(QFont& font, QColor& color, QWidget* owner) override;
    bool ChooseColor(QColor& color, QWidget* owner) override;

private:
    Recorded* r_;
};

// The program's steps 1–2 (title, dispatcher, fonts, classes) and the recording seam;
// the first argument of the "command line" is `argument` (none when empty).
Recorded& SetUpProgram(const std::string& argument = {});

// GBK bytes of a UTF-8 literal.
QByteArray Gbk(const char* utf8);

} // namespace apptest
