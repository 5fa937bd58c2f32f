// SPDX-License-Identifier: GPL-3.0-or-later
// Every test program keeps the editor's user settings in a folder of its own: editors opened
// through the factory read and write the settings file, and a zoom one test chose must neither
// reach the next test nor the settings of the user running the tests.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

class PrivateConfigHome
{
public:
    PrivateConfigHome()
    {
        std::error_code error;
        std::filesystem::path base = std::filesystem::temp_directory_path(error);
        if (error) base = "/tmp";
        std::string pattern = (base / "brask-test-config-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
        {
            // Pointing at nothing writable still keeps the user's file out of reach.
            setenv("XDG_CONFIG_HOME", "/nonexistent/brask-test-config", 1);
            return;
        }
        folder = pattern;
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    ~PrivateConfigHome()
    {
        std::error_code error;
        if (!folder.empty()) std::filesystem::remove_all(folder, error);
    }

private:
    std::filesystem::path folder;
};

const PrivateConfigHome privateConfigHome;

} // namespace
