// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a host program for the host tests: its own process group, the environment changed as
// given, its output into a file, and killed with its children when it outlives a timeout.
#pragma once

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace HostTest {

struct Finished
{
    bool timedOut = false;
    int exitCode = -1;
    std::string output;
};

/** Runs a program with the environment changed as given, its output into a file; kills its
    whole process group when it outlives the timeout. */
inline Finished run(const std::vector<std::string>& command,
                    const std::map<std::string, std::string>& set,
                    const std::filesystem::path& outputFile, int timeoutSeconds)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry)
    {
        const std::string text = *entry;
        if (!set.count(text.substr(0, text.find('=')))) environment.push_back(text);
    }
    for (const auto& [name, value] : set)
        environment.push_back(name + "=" + value);
    std::vector<char*> argv, envp;
    for (const std::string& arg : command)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    for (const std::string& entry : environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    const std::string output = outputFile.string();

    Finished finished;
    const pid_t child = fork();
    if (child == 0)
    {
        setpgid(0, 0);
        const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0)
        {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (child < 0) return finished;
    setpgid(child, child);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0)
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            finished.timedOut = true;
            kill(-child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!finished.timedOut && WIFEXITED(status)) finished.exitCode = WEXITSTATUS(status);
    std::ifstream in(outputFile);
    finished.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return finished;
}

inline bool isExecutable(const std::string& path)
{
    return !path.empty() && access(path.c_str(), X_OK) == 0;
}

} // namespace HostTest
