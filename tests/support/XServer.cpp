// SPDX-License-Identifier: GPL-3.0-or-later
#include "XServer.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

namespace {

// Large enough for every editor test, the Windows one at content scale 2 included.
constexpr const char* kScreen = "1920x1200x24";
// A loaded machine may take a while to start a server; one that never answers fails the test.
constexpr int kStartTimeoutMs = 30000;

} // namespace

XServer& XServer::shared()
{
    static XServer server;
    if (!server.running() && server.failure.empty() && server.start())
        setenv("DISPLAY", server.display().c_str(), 1);
    return server;
}

bool XServer::start()
{
    if (running()) return true;
    failure.clear();
    // Xvfb writes its display number into the pipe once it takes connections.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
    {
        failure = "cannot make a pipe for Xvfb";
        return false;
    }
    const std::string fd = std::to_string(fds[1]);
    const pid_t parent = getpid();
    pid = fork();
    if (pid == 0)
    {
        // Only async-signal-safe calls from here: the test may run threads.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);
        fcntl(fds[1], F_SETFD, 0);
        const int quiet = open("/dev/null", O_RDWR);
        dup2(quiet, STDIN_FILENO);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", kScreen, "-nolisten",
               "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    if (pid > 0)
    {
        pollfd ready{fds[0], POLLIN, 0};
        char c = 0;
        while (poll(&ready, 1, kStartTimeoutMs) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
            number.push_back(c);
        if (c != '\n') number.clear();
    }
    close(fds[0]);
    if (number.empty())
    {
        stop();
        failure = "Xvfb did not start (is the package xvfb installed?)";
        return false;
    }
    name = ":" + number;
    return true;
}

void XServer::stop()
{
    if (pid > 0)
    {
        kill(pid, SIGTERM);
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR)
            continue;
    }
    pid = -1;
    name.clear();
}

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
