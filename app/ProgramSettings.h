#pragma once
// The settings file the program runs with. Off until the program (or a test) puts one in:
// --no-settings, screenshots and window tests read and write nothing.

#include <future>
#include <memory>

namespace orlenth {

namespace settings {
class TSettingsFile;
}

// The file in use; an Off() file when none was put in. Valid until the next SetProgramSettings.
settings::TSettingsFile& ProgramSettings();
// Puts `file` in (null: back to off). The main window reads it when it is built.
void SetProgramSettings(std::unique_ptr<settings::TSettingsFile> file);
// Puts in a file still being read on another thread: ProgramSettings() waits for it.
// Reading a long-used file (a thousand places) takes a few milliseconds, which the window
// spends reading its description meanwhile.
void SetProgramSettings(std::future<std::unique_ptr<settings::TSettingsFile>> pending);

} // namespace orlenth
