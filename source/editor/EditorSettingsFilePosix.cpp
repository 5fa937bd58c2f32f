// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditorSettings.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

std::filesystem::path editorSettingsFile()
{
    // The XDG base directory rules: an absolute XDG_CONFIG_HOME, else ~/.config.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/')
        return std::filesystem::path(configHome) / "tarvik" / "brask.conf";

    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir || !*found->pw_dir)
        return {};
    return std::filesystem::path(found->pw_dir) / ".config" / "tarvik" / "brask.conf";
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
