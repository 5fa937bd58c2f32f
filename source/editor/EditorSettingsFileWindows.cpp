// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditorSettings.h"

#include <windows.h>

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

std::filesystem::path editorSettingsFile()
{
    // The roaming application data folder (%APPDATA%) wherever it was moved to.
    PWSTR appData = nullptr;
    std::filesystem::path file;
    if (SUCCEEDED(
            SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &appData)) &&
        appData && *appData)
        file = std::filesystem::path(appData) / L"Tarvik" / L"Brask" / L"brask.conf";
    CoTaskMemFree(appData);
    return file;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
