// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserPresetFolder.h"

#include <windows.h>

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

std::filesystem::path userPresetFolder()
{
    // The user's Documents folder wherever it was moved to; Windows hosts save VST 3 presets
    // below it.
    PWSTR documents = nullptr;
    std::filesystem::path folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_DEFAULT, nullptr, &documents)) &&
        documents && *documents)
        folder = std::filesystem::path(documents) / L"VST3 Presets" / L"Tarvik" / L"Brask";
    CoTaskMemFree(documents);
    return folder;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
