// Linked into every test program: the program's preferences live in a temporary
// configuration folder for the whole run, so no test reads or changes the preferences
// of the person running the tests. Fixtures that need their own folder set it again.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class IsolatedConfigHome {
public:
    IsolatedConfigHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "scopecam-tests-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return;
        folder_ = pattern;
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    ~IsolatedConfigHome() {
        if (folder_.empty()) return;
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

private:
    std::string folder_;
};

IsolatedConfigHome gIsolatedConfigHome;

}  // namespace
