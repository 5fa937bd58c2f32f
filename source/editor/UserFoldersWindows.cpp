// SPDX-License-Identifier: GPL-3.0-or-later
// Where the user's own files of Brask lie on Windows: presets below Documents, where Windows
// hosts save VST 3 presets, the editor's settings below the roaming application data (%APPDATA%).
#include "EditorSettings.h"
#include "UserPresetFolder.h"

#include <windows.h>

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace {

/** A known folder wherever the user moved it; empty when Windows names none. */
std::filesystem::path knownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::filesystem::path folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path && *path)
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

} // namespace

std::filesystem::path userPresetFolder()
{
    std::filesystem::path documents = knownFolder(FOLDERID_Documents);
    if (documents.empty()) return {};
    return documents / L"VST3 Presets" / L"Tarvik" / L"Brask";
}

std::filesystem::path editorSettingsFile()
{
    std::filesystem::path appData = knownFolder(FOLDERID_RoamingAppData);
    if (appData.empty()) return {};
    return appData / L"Tarvik" / L"Brask" / L"brask.conf";
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
