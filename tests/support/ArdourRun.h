// SPDX-License-Identifier: GPL-3.0-or-later
// One headless Ardour run for the host tests, through RunInArdour.sh: what it answered, and the
// lines its Lua script printed, one step each ("<step> <value> ...").
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

struct ArdourRun
{
    /** What RunInArdour.sh answers where Ardour is missing, and where it hung and was killed. */
    static constexpr int kNoArdour = 77;
    static constexpr int kHung = 124;

    int exitCode = -1;
    std::string output;
    /** The values each step printed. */
    std::map<std::string, std::vector<double>> steps;
};

/** Runs RunInArdour.sh with `arguments` (options, bundle, folder, script and the script's own),
 *  its output into `log`. */
inline ArdourRun runInArdour(const std::vector<std::string>& arguments,
                             const std::filesystem::path& log)
{
    std::string command = "'" BRASK_RUN_IN_ARDOUR "'";
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    command += " >'" + log.string() + "' 2>&1";
    ArdourRun run;
    const int status = std::system(command.c_str());
    if (status != -1 && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    std::ifstream in(log);
    run.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);)
    {
        std::istringstream words(line);
        std::string step;
        words >> step;
        std::vector<double>& values = run.steps[step];
        for (double value = 0; words >> value;)
            values.push_back(value);
    }
    return run;
}

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
