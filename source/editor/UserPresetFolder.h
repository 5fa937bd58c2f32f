// SPDX-License-Identifier: GPL-3.0-or-later
// Where the user's own presets of Brask lie: the folder VST 3 hosts save them to. The user's home
// is asked of the system itself (no environment variable is read).
#pragma once

#include <filesystem>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** ~/.vst3/presets/Tarvik/Brask on Linux, Documents\VST3 Presets\Tarvik\Brask on Windows; empty
    when the system names no home or documents folder for the user. */
std::filesystem::path userPresetFolder();

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
