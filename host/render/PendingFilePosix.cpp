// SPDX-License-Identifier: GPL-3.0-or-later
// The pending file on POSIX systems: made by mkstemp beside the file a symbolic link points to,
// with the permissions of the file it replaces.
#include "PendingFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Steinberg::Vst::Tarvik::Render {

namespace {

/** The file that path names once every symbolic link on its end is followed (a link may point
    to a file that does not exist yet), or false with errno set when the links loop. */
bool followLinks(std::string& path)
{
    constexpr int kMaxLinks = 40; // as the kernel's own limit for one lookup
    for (int links = 0; links < kMaxLinks; ++links)
    {
        struct stat info
        {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        std::vector<char> buffer(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 2);
        const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size() - 1);
        if (length < 0) return false;
        // A link that grew since lstat is read again on the next round with a fresh size.
        if (static_cast<size_t>(length) >= buffer.size() - 1) continue;
        const std::string destination(buffer.data(), static_cast<size_t>(length));
        const size_t slash = path.find_last_of('/');
        if (destination.empty() || destination[0] == '/' || slash == std::string::npos)
            path = destination;
        else
            path = path.substr(0, slash + 1) + destination;
    }
    errno = ELOOP;
    return false;
}

} // namespace

int PendingFile::create(const std::string& path, std::string& error)
{
    discard();
    // The output replaces the file a symbolic link points to, not the link; and only a regular
    // file may be replaced: renaming over a FIFO or a device would put a file in its place.
    std::string real = path;
    if (!followLinks(real))
    {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return -1;
    }
    struct stat info
    {};
    const bool exists = stat(real.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode))
    {
        error = "cannot write " + path + ": it is a folder";
        return -1;
    }
    if (exists && !S_ISREG(info.st_mode))
    {
        error = "cannot write " + path + ": it is not a regular file";
        return -1;
    }

    std::string pattern = real + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
    {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return -1;
    }
    // mkstemp makes the file private; the result keeps the permissions of the file it replaces,
    // or gets those of any new file.
    mode_t mode = info.st_mode & 07777;
    if (!exists)
    {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    fchmod(fd, mode);

    target = real;
    temporary = name.data();
    return fd;
}

} // namespace Steinberg::Vst::Tarvik::Render
