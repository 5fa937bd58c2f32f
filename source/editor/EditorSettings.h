// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's user settings: a small text file of `key=value` lines that outlives projects, so
// that a musician who works at 150 % gets every new editor at 150 %. Only the editor reads it;
// the sound and the state never depend on it. Anything wrong with the file (missing, unreadable,
// damaged, not a regular file) means the defaults and is never fatal.
#pragma once

#include <filesystem>
#include <optional>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** The zooms the file may hold, as factors: the sizes the editor is drawn for. */
constexpr double kMinEditorZoom = 1.0;
constexpr double kMaxEditorZoom = 2.0;

/** $XDG_CONFIG_HOME/tarvik/brask.conf (~/.config/tarvik/brask.conf when unset or relative) on
    Linux, %APPDATA%\Tarvik\Brask\brask.conf on Windows; empty when the system names no such
    folder for the user. */
std::filesystem::path editorSettingsFile();

/** The zoom in `file` (`zoom=150` is 1.5); none when the file or the line is missing or the value
    is no whole percentage from 100 to 200. */
std::optional<double> readEditorZoom(const std::filesystem::path& file);

/** Writes `zoom` (rounded to a whole percentage) into `file`, creating its folder and keeping
    the file's other lines; the old file stays whole until the new one is complete. False when
    it could not be written. */
bool writeEditorZoom(const std::filesystem::path& file, double zoom);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
