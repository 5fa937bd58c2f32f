// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserPresetFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

std::filesystem::path userPresetFolder()
{
    // The account's home from the user database: HOME may be unset or point elsewhere in a
    // host started by a service or a sandbox. (The editor settings file follows XDG_CONFIG_HOME
    // where it is set, as that convention asks, and the same home otherwise.)
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir || !*found->pw_dir)
        return {};
    return std::filesystem::path(found->pw_dir) / ".vst3" / "presets" / "Tarvik" / "Brask";
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
