// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built brask-render as a user does and reads what it wrote.
#pragma once

#include <sndfile.h>

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Render {
namespace TestSupport {

struct RunResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

/** A fresh folder, removed with everything in it at the end. */
class TempFolder
{
public:
    TempFolder()
    {
        char pattern[] = "/tmp/brask-render-test-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }

    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        if (DIR* dir = opendir(path.c_str()))
        {
            while (dirent* entry = readdir(dir))
            {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            closedir(dir);
        }
        return names;
    }

    std::string path;
};

/** Where brask-render runs: its current folder (the test's own when empty) and its home folder,
    where it finds the user's presets (scratch/home when empty, which holds none). */
struct RunPlace
{
    std::string folder;
    std::string home;
};

/** Runs brask-render with these arguments; stdout and stderr are files, not a terminal. */
inline RunResult runRender(const std::vector<std::string>& args, const TempFolder& scratch,
                           const RunPlace& place = {})
{
    const std::string outPath = scratch / ".stdout";
    const std::string errPath = scratch / ".stderr";
    std::vector<std::string> all = {BRASK_RENDER_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    // The same environment with HOME replaced: the user's own presets never reach a test.
    std::vector<std::string> environment = {"HOME=" +
                                            (place.home.empty() ? scratch / "home" : place.home)};
    for (char** variable = environ; *variable; ++variable)
    {
        if (std::strncmp(*variable, "HOME=", 5) != 0) environment.emplace_back(*variable);
    }
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!place.folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, place.folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    RunResult result;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0)
    {
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = readText(outPath);
    result.err = readText(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return result;
}

struct Audio
{
    bool read = false;
    int sampleRate = 0;
    int channels = 0;
    int format = 0;
    std::vector<float> samples; // interleaved
    size_t frames() const { return channels ? samples.size() / channels : 0; }
};

inline Audio readWav(const std::string& path)
{
    Audio audio;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return audio;
    audio.read = true;
    audio.sampleRate = info.samplerate;
    audio.channels = info.channels;
    audio.format = info.format;
    audio.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(file, audio.samples.data(), info.frames);
    sf_close(file);
    return audio;
}

inline bool exists(const std::string& path)
{
    struct stat info
    {};
    return stat(path.c_str(), &info) == 0;
}

} // namespace TestSupport
} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
