#include "app/ProgramSettings.h"

#include "app/settings/SettingsFile.h"

namespace orlenth {

namespace {
std::unique_ptr<settings::TSettingsFile>& current() {
    static std::unique_ptr<settings::TSettingsFile> file = settings::TSettingsFile::Off();
    return file;
}
std::future<std::unique_ptr<settings::TSettingsFile>>& pending() {
    static std::future<std::unique_ptr<settings::TSettingsFile>> file;
    return file;
}
} // namespace

settings::TSettingsFile& ProgramSettings() {
    if (pending().valid()) {
        std::unique_ptr<settings::TSettingsFile> file = pending().get();
        current() = file ? std::move(file) : settings::TSettingsFile::Off();
    }
    return *current();
}

void SetProgramSettings(std::unique_ptr<settings::TSettingsFile> file) {
    if (pending().valid()) pending().wait();
    pending() = {};
    current() = file ? std::move(file) : settings::TSettingsFile::Off();
}

void SetProgramSettings(std::future<std::unique_ptr<settings::TSettingsFile>> file) {
    if (pending().valid()) pending().wait();
    pending() = std::move(file);
}

} // namespace orlenth
