// A test fixture that gives the application's preferences a configuration folder of
// their own (XDG_CONFIG_HOME points at a fresh temporary folder) and puts the
// environment back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/services/PreferencesStore.h"

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override {
        SaveVariable("XDG_CONFIG_HOME", savedConfigHome_);
        SaveVariable("HOME", savedHome_);
        std::string pattern = (std::filesystem::temp_directory_path() / "scopecam-prefs-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
        ResetApplicationPreferences();
    }

    void TearDown() override {
        ResetApplicationPreferences();
        RestoreVariable("XDG_CONFIG_HOME", savedConfigHome_);
        RestoreVariable("HOME", savedHome_);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // The temporary configuration home, and the preferences file under it.
    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path PrefsPath() const { return root_ / "scopecam" / "preferences"; }

    void WritePrefsText(const std::string& text) {
        std::filesystem::create_directories(PrefsPath().parent_path());
        std::ofstream out(PrefsPath(), std::ios::binary | std::ios::trunc);
        out << text;
    }

    std::string ReadPrefsText() const {
        std::ifstream in(PrefsPath(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Stands for a new run of the program: the store forgets everything in memory and
    // reads the file again at its next use.
    void StartNewRun() { ResetApplicationPreferences(); }

private:
    static void SaveVariable(const char* name, std::optional<std::string>& saved) {
        const char* value = std::getenv(name);
        saved = value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void RestoreVariable(const char* name, const std::optional<std::string>& saved) {
        if (saved)
            setenv(name, saved->c_str(), 1);
        else
            unsetenv(name);
    }

    std::filesystem::path root_;
    std::optional<std::string> savedConfigHome_;
    std::optional<std::string> savedHome_;
};
