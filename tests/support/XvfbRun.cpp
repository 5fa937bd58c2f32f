// SPDX-License-Identifier: GPL-3.0-or-later
// brask-xvfb-run COMMAND [ARGUMENT...]: runs a command with DISPLAY on a private X server of its
// own, the same the test programs start, and exits with the command's status. For what runs
// outside a test program: the Windows editor tests under Wine, which draws into an X server.
#include "XServer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: brask-xvfb-run COMMAND [ARGUMENT...]\n");
        return 2;
    }
    Steinberg::Vst::Tarvik::TestSupport::XServer server;
    if (!server.start())
    {
        std::fprintf(stderr, "brask-xvfb-run: %s\n", server.error().c_str());
        return 1;
    }
    setenv("DISPLAY", server.display().c_str(), 1);
    const pid_t child = fork();
    if (child == 0)
    {
        execvp(argv[1], argv + 1);
        std::fprintf(stderr, "brask-xvfb-run: cannot run %s: %s\n", argv[1], std::strerror(errno));
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) < 0)
    {
        std::fprintf(stderr, "brask-xvfb-run: cannot run %s\n", argv[1]);
        return 1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
