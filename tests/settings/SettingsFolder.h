#pragma once
// A scratch folder for a settings test: XDG_CONFIG_HOME and TMPDIR point into it while the
// test runs, so that nothing reads or writes the user's real settings, and what the store
// leaves behind can be seen.

#include "tests/platform/TempFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>

namespace orlenth::settings::testing {

using platform::testing::RowName;
using platform::testing::TempFolder;

// A path's bytes as the store takes them.
inline QString NameOf(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QCoreApplication::setApplicationName(QStringLiteral("orlenth"));
        config_ = dir_.MakeFolder("config");
        tmp_ = dir_.MakeFolder("tmp");
        Keep("XDG_CONFIG_HOME", savedConfig_);
        Keep("TMPDIR", savedTmp_);
        ::setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
        ::setenv("TMPDIR", tmp_.c_str(), 1);
    }
    void TearDown() override {
        Restore("XDG_CONFIG_HOME", savedConfig_);
        Restore("TMPDIR", savedTmp_);
        // Every private copy the store made to parse a file is gone again.
        EXPECT_EQ(Entries(tmp_), std::set<std::string>{});
    }

    // A path in the folder, as the store takes it.
    QString PathOf(const std::string& name) const { return NameOf(dir_ / name); }
    std::string File(const std::string& name) const { return dir_ / name; }

    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::set<std::string> Entries(const std::string& folder) {
        std::set<std::string> names;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(folder, ec))
            names.insert(e.path().filename().string());
        return names;
    }

    TempFolder dir_;
    std::string config_;
    std::string tmp_;

private:
    static void Keep(const char* name, std::optional<std::string>& into) {
        if (const char* v = std::getenv(name)) into = v;
    }
    static void Restore(const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    std::optional<std::string> savedConfig_;
    std::optional<std::string> savedTmp_;
};

} // namespace orlenth::settings::testing
