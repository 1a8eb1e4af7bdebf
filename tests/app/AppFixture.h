#pragma once
// Shared by the window tests: the program's set-up without its loop, over the fake dialog
// seam that records message boxes and modal runs instead of waiting for a person.

#include "tests/support/FakeDialogs.h"

#include <QByteArray>

#include <string>

namespace apptest {

using testsupport::TDialogLog;

// The program's start-up (app/Program.h) with the fake dialogs; the first argument of the
// "command line" is `argument` (none when empty).
TDialogLog& SetUpProgram(const std::string& argument = {});

// GBK bytes of a UTF-8 literal.
QByteArray Gbk(const char* utf8);

} // namespace apptest
