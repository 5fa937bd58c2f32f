// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenderPlatform.h"

#include <windows.h>

#include <cstdio>
#include <io.h>

namespace Steinberg::Vst::Tarvik::Render::Platform {

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

namespace {

std::string systemMessage(DWORD code)
{
    char text[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof(text), nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? "system error " + std::to_string(code) : message;
}

} // namespace

bool replaceFile(const std::string& from, const std::string& to, std::string& reason)
{
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    reason = systemMessage(GetLastError());
    return false;
}

void removeFile(const std::string& path)
{
    _unlink(path.c_str());
}

bool errorsGoToTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

bool syncFile(int fd)
{
    return _commit(fd) == 0;
}

namespace {

/** The volume and file index of a file, the counterpart of device and inode; links are followed.
    Paths are UTF-8, the process's code page (brask-render's manifest). */
bool identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& info)
{
    const HANDLE file =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return known;
}

} // namespace

bool sameFile(const std::string& first, const std::string& second)
{
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    return identify(first, a) && identify(second, b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

void reportFileSizeLimitAsError()
{
    // Windows has no file size signal: a write past any limit fails and says so.
}

} // namespace Steinberg::Vst::Tarvik::Render::Platform
