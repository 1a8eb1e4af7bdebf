#pragma once
// Shared by the window tests: the program's set-up without its loop, over the fake dialog
// seam that records message boxes and modal runs instead of waiting for a person.

#include "tests/support/FakeDialogs.h"

#include "framework/ui/StallWatch.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class QWidget;

#include <functional>
#include <string>

namespace apptest {

using orlenth::TStallWatch;
using testsupport::TDialogLog;

// The program's start-up (app/Program.h) with the fake dialogs; the first argument of the
// "command line" is `argument` (none when empty).
TDialogLog& SetUpProgram(const std::string& argument = {});

// GBK bytes of a UTF-8 literal.
QByteArray Gbk(const char* utf8);

// Types `text` into `w` a character at a time, as a keyboard or an input method does: a
// key event carrying each character.
void Type(QWidget* w, const QString& text);

// Writes `bytes` to `path` (a failure fails the test).
void WriteFile(const QString& path, const QByteArray& bytes);

// The longest the window's thread may go without returning to its event loop while a
// user's action is handled: 100 ms, times ORLENTH_STALL_SCALE for a build whose code runs
// slower than the program's (the sanitizers').
TStallWatch::Millis StallLimit();

// Runs an event loop of its own, as the program's runs (it waits for events when there
// are none), until `done` holds or `ms` have passed; whether `done` held.
bool RunLoopUntil(const std::function<bool()>& done, int ms);

// A settings file in a config folder of its own (XDG_CONFIG_HOME points there while this
// lives), never the user's: Open reads it afresh for the next window, as a new run of the
// program would; at the end the program goes back to running without settings.
class TConfig {
public:
    TConfig();
    ~TConfig();
    TConfig(const TConfig&) = delete;
    TConfig& operator=(const TConfig&) = delete;
    QString File() const;
    void Open();

private:
    QTemporaryDir dir_;
};

} // namespace apptest
