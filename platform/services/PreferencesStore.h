// The application's preferences: integer values under string keys, kept in memory
// and saved to one small text file, one "key = value" line each.
//
// Reading is tolerant: a missing or unreadable file, a line that is not "key = value",
// a value that is not a 32-bit integer, and a last line without its newline (a file
// cut short) all read as absent keys. Saving replaces the file atomically (a temporary
// file in the same folder, flushed to disk, then renamed over the old one), so the
// file is always either the old one or the new one. Keys the program does not ask for
// are kept as they were read. When the file cannot be saved the values still hold in
// memory for this run and the failure is reported once on standard error.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

enum class PreferencesSave {
    kSaved,             // the file now holds every value
    kKeptInMemoryOnly,  // the file could not be written; the values hold for this run
};

class PreferencesStore {
public:
    // filePath: the preferences file; its folder is created when first saved. An empty
    // path keeps everything in memory (nowhere to save it).
    explicit PreferencesStore(std::string filePath);

    const std::string& FilePath() const { return path_; }

    // The value of key, or nothing when it is absent or not a 32-bit integer.
    std::optional<int32_t> GetInteger(const std::string& key);
    // Sets key in memory; Synchronize saves it. Keys that could not be read back from
    // the file (empty, with '=', '#' first or line breaks, blanks around) are refused.
    bool SetInteger(const std::string& key, int32_t value);
    // Saves every value to the file.
    PreferencesSave Synchronize();
    // Forgets the values in memory: the next read takes them from the file again.
    void Reload();

    // The largest file read; anything bigger is not a preferences file.
    static constexpr size_t kMaxFileBytes = 1 << 20;

private:
    void LoadOnce();
    void ReportOnce(bool& reported, const std::string& what, int error);

    std::string path_;
    bool loaded_ = false;
    // Values as written in the file, so that keys this program never reads survive a
    // save unchanged whatever they hold.
    std::map<std::string, std::string> values_;
    bool readFailureReported_ = false;
    bool saveFailureReported_ = false;
};

// The file of the application's preferences: $XDG_CONFIG_HOME/<application>/preferences
// when XDG_CONFIG_HOME is an absolute path, else ~/.config/<application>/preferences;
// empty when no home folder is known.
std::string PreferencesFilePath(const std::string& application);

// The application's store for the run, made at first use from the environment of
// that moment.
PreferencesStore& ApplicationPreferences();
// Forgets the application's store, unsaved values included; the next use makes a new
// one from the environment. For tests, which point XDG_CONFIG_HOME at a folder of
// their own, and to stand for a new run of the program.
void ResetApplicationPreferences();
