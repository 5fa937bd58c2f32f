// SPDX-License-Identifier: GPL-3.0-or-later
#include "PendingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Render {

PendingFile::~PendingFile()
{
    discard();
}

int PendingFile::create(const std::string& path, std::string& error)
{
    discard();
    struct stat info
    {};
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    {
        error = "cannot write " + path + ": it is a folder";
        return -1;
    }

    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
    {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return -1;
    }
    // mkstemp makes the file private; the result gets the permissions of any new file.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);

    target = path;
    temporary = name.data();
    return fd;
}

bool PendingFile::commit(std::string& error)
{
    if (temporary.empty())
    {
        error = "nothing was written to " + target;
        return false;
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0)
    {
        error = "cannot write " + target + ": " + std::strerror(errno);
        discard();
        return false;
    }
    temporary.clear();
    return true;
}

void PendingFile::discard()
{
    if (temporary.empty()) return;
    unlink(temporary.c_str());
    temporary.clear();
}

} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
