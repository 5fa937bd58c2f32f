// SPDX-License-Identifier: GPL-3.0-or-later
// The pending file on Windows: a uniquely named file beside the target, opened in binary mode.
// Paths are in the process's code page, as the C library's file functions take them: UTF-8 for
// brask-render (its manifest).
#include "PendingFile.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace Steinberg::Vst::Tarvik::Render {

int PendingFile::create(const std::string& path, std::string& error)
{
    discard();
    struct _stat64 info
    {};
    const bool exists = _stat64(path.c_str(), &info) == 0;
    if (exists && (info.st_mode & _S_IFMT) == _S_IFDIR)
    {
        error = "cannot write " + path + ": it is a folder";
        return -1;
    }
    if (exists && (info.st_mode & _S_IFMT) != _S_IFREG)
    {
        error = "cannot write " + path + ": it is not a regular file";
        return -1;
    }

    static unsigned attempt = 0;
    for (int tries = 0; tries < 100; ++tries)
    {
        char suffix[32];
        std::snprintf(suffix, sizeof(suffix), ".tmp-%lx%04x",
                      static_cast<unsigned long>(GetCurrentProcessId()), ++attempt & 0xFFFFu);
        const std::string name = path + suffix;
        const int fd =
            _open(name.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0)
        {
            target = path;
            temporary = name;
            return fd;
        }
        if (errno != EEXIST) break;
    }
    error = "cannot write " + path + ": " + std::strerror(errno);
    return -1;
}

} // namespace Steinberg::Vst::Tarvik::Render
