// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditorSettings.h"

#include <cmath>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace {

// A settings file is a few lines; anything larger is not ours and is not read whole.
constexpr std::uintmax_t kMaxSettingsBytes = 64 * 1024;

std::string trimmed(const std::string& text)
{
    const char* blanks = " \t\r";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool isZoomLine(const std::string& line, std::string* value)
{
    size_t equals = line.find('=');
    if (equals == std::string::npos || trimmed(line.substr(0, equals)) != "zoom") return false;
    if (value) *value = trimmed(line.substr(equals + 1));
    return true;
}

/** The file's lines, or none when it is missing, not a regular file (a FIFO would block the
    UI thread), too large or unreadable. */
std::optional<std::vector<std::string>> readLines(const std::filesystem::path& file)
{
    std::error_code error;
    if (file.empty() || !std::filesystem::is_regular_file(file, error)) return std::nullopt;
    std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > kMaxSettingsBytes) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    if (in.bad()) return std::nullopt;
    return lines;
}

} // namespace

std::optional<double> readEditorZoom(const std::filesystem::path& file)
{
    std::optional<std::vector<std::string>> lines = readLines(file);
    if (!lines) return std::nullopt;
    std::optional<double> zoom;
    for (const std::string& line : *lines)
    {
        std::string value;
        if (!isZoomLine(line, &value)) continue;
        // A whole percentage only: "150", not "1.5", "150%" or "0x96".
        if (value.empty() || value.size() > 3 ||
            value.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        double factor = std::stoi(value) / 100.0;
        if (factor < kMinEditorZoom || factor > kMaxEditorZoom) return std::nullopt;
        zoom = factor; // the last line wins, as in most such files
    }
    return zoom;
}

bool writeEditorZoom(const std::filesystem::path& file, double zoom)
{
    if (file.empty() || !std::isfinite(zoom)) return false;
    if (zoom < kMinEditorZoom) zoom = kMinEditorZoom;
    if (zoom > kMaxEditorZoom) zoom = kMaxEditorZoom;

    std::vector<std::string> kept;
    if (std::optional<std::vector<std::string>> lines = readLines(file))
        for (std::string& line : *lines)
            if (!isZoomLine(line, nullptr)) kept.push_back(std::move(line));
    kept.push_back("zoom=" + std::to_string(static_cast<int>(std::lround(zoom * 100.0))));

    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) return false;
    // Written beside and renamed over, so that a full disk or a crash leaves the old file.
    std::filesystem::path partial = file;
    partial += ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        for (const std::string& line : kept)
            out << line << '\n';
        out.flush();
        if (!out)
        {
            out.close();
            std::filesystem::remove(partial, error);
            return false;
        }
    }
    std::filesystem::rename(partial, file, error);
    if (error) std::filesystem::remove(partial, error);
    return !error;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
