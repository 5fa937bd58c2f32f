// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenderPlatform.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace Steinberg::Vst::Tarvik::Render::Platform {

std::string programFolder()
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (length <= 0) return {};
    std::string folder(self, static_cast<size_t>(length));
    folder.resize(folder.find_last_of('/') + 1);
    return folder;
}

bool errorsGoToTerminal()
{
    return isatty(STDERR_FILENO) != 0;
}

bool syncFile(int fd)
{
    return fsync(fd) == 0;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& reason)
{
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    reason = std::strerror(errno);
    return false;
}

void removeFile(const std::string& path)
{
    unlink(path.c_str());
}

bool sameFile(const std::string& first, const std::string& second)
{
    struct stat a
    {};
    struct stat b
    {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

void reportFileSizeLimitAsError()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace Steinberg::Vst::Tarvik::Render::Platform
