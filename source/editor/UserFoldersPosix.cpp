// SPDX-License-Identifier: GPL-3.0-or-later
// Where the user's own files of Brask lie on Linux: presets in the folder VST 3 hosts save to,
// the editor's settings in the XDG configuration folder.
#include "EditorSettings.h"
#include "UserPresetFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace {

/** The account's home from the user database: HOME may be unset or point elsewhere in a host
    started by a service or a sandbox. Empty when the database names none. */
std::filesystem::path homeFolder()
{
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir || !*found->pw_dir)
        return {};
    return found->pw_dir;
}

} // namespace

std::filesystem::path userPresetFolder()
{
    std::filesystem::path home = homeFolder();
    if (home.empty()) return {};
    return home / ".vst3" / "presets" / "Tarvik" / "Brask";
}

std::filesystem::path editorSettingsFile()
{
    // The XDG base directory rules: an absolute XDG_CONFIG_HOME, else ~/.config.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/')
        return std::filesystem::path(configHome) / "tarvik" / "brask.conf";
    std::filesystem::path home = homeFolder();
    if (home.empty()) return {};
    return home / ".config" / "tarvik" / "brask.conf";
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
