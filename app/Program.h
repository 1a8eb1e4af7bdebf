#pragma once
// The program entry's steps after Qt's application object exists: the application
// object's title and arguments, the main window, the message loop.

namespace orlenth {

// Everything the windows need before the first is built: the application object's
// arguments and title, the display name and icon, Qt's Chinese translations (when
// installed), the event dispatcher, the font substitutions and the window classes. Dialogs stay as
// they are, so a caller may install its own before or after. A QApplication must exist; calling it
// again starts over with the new arguments.
void SetUpProgram(int argc, const char* const* argv);

// Runs the program and returns 0, but for a screenshot that could not be written: a
// failure that escapes start-up or the loop (a damaged description, say) is shown in the
// error box first. With the environment variable ORLENTH_SCREENSHOT=FILE set, modal
// windows close at once, messages go to standard error, and a PNG of the main window is
// saved to FILE once it has been painted, which ends the loop; when FILE cannot be
// written (a folder, a missing folder, a full device) "cannot write FILE" goes to
// standard error, control bytes escaped, and the result is 1. A QApplication must exist.
// Starts reading the settings the arguments and environment ask for, on a thread of its
// own at the lowest priority, so that it overlaps the reading of the windows: the user's
// file, none with --no-settings or for a screenshot, or ORLENTH_SCREENSHOT_SETTINGS's file,
// only read, for a screenshot. RunProgram runs it unless the caller already has.
void StartReadingSettings(int argc, const char* const* argv);

// The user's settings file is read and written unless --no-settings is among the
// arguments (it is taken out of them) or a screenshot is being made. SIGTERM, SIGINT and
// SIGHUP end the loop as closing the main window does, so that the settings are written.
// ORLENTH_STALL_REPORT=1 watches the loop (TStallWatch): each time its thread goes over 50 ms
// without returning to it is told on standard error, and the longest at the end.
int RunProgram(int argc, const char* const* argv);

} // namespace orlenth
