// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenderPlatform.h"

#include <windows.h>

#include <cstdio>
#include <io.h>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Render {
namespace Platform {

std::string programFolder()
{
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::string folder(self, length);
    const size_t separator = folder.find_last_of("\\/");
    if (separator == std::string::npos) return {};
    folder.resize(separator + 1);
    return folder;
}

bool errorsGoToTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

bool syncFile(int fd)
{
    return _commit(fd) == 0;
}

void reportFileSizeLimitAsError()
{
    // Windows has no file size signal: a write past any limit fails and says so.
}

} // namespace Platform
} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
