#include "app/ProgramSettings.h"

#include "app/settings/SettingsFile.h"

namespace orlenth {

namespace {
std::unique_ptr<settings::TSettingsFile>& current() {
    static std::unique_ptr<settings::TSettingsFile> file = settings::TSettingsFile::Off();
    return file;
}
} // namespace

settings::TSettingsFile& ProgramSettings() {
    return *current();
}

void SetProgramSettings(std::unique_ptr<settings::TSettingsFile> file) {
    current() = file ? std::move(file) : settings::TSettingsFile::Off();
}

} // namespace orlenth
