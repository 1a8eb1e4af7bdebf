#pragma once
// The settings file the program runs with. Off until the program (or a test) puts one in:
// --no-settings, screenshots and window tests read and write nothing.

#include <memory>

namespace orlenth {

namespace settings {
class TSettingsFile;
}

// The file in use; an Off() file when none was put in. Valid until the next SetProgramSettings.
settings::TSettingsFile& ProgramSettings();
// Puts `file` in (null: back to off). The main window reads it when it is built.
void SetProgramSettings(std::unique_ptr<settings::TSettingsFile> file);

} // namespace orlenth
