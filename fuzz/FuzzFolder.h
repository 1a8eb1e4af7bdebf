#pragma once
// A folder of a fuzz target's own under the system's temporary folder, made once and gone
// when the process ends, for the targets whose code under test reads or writes files.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

class FuzzFolder {
public:
    explicit FuzzFolder(const char* name) {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / (std::string("orlenth-") + name + "-XXXXXX"))
                .string();
        if (!::mkdtemp(tmpl.data())) std::abort();
        path_ = tmpl;
    }
    ~FuzzFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& rel) const { return path_ / rel; }

    // Points the settings store's default place and its private copies (TMPDIR) inside the
    // folder, so that a target never touches the user's settings or the system's tmp.
    void HoldSettings() const {
        std::filesystem::create_directories(path_ / "tmp");
        ::setenv("TMPDIR", (path_ / "tmp").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
    }

    // Empties the folder for the next input.
    void Clear() const {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(path_, ec))
            std::filesystem::remove_all(e.path(), ec);
    }

private:
    std::filesystem::path path_;
};
