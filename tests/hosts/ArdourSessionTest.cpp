// SPDX-License-Identifier: GPL-3.0-or-later
// Brask in Ardour 7 itself, headless: the built bundle installed into a throwaway home folder,
// indexed by Ardour's VST 3 scanner, then brask-in-ardour.lua run by ardour7-lua on a session of
// its own. One Ardour run serves every case; a run that hangs is killed and fails them all.
// Skipped where Ardour is not installed.
#include "BuiltBundle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/wait.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
namespace fs = std::filesystem;

namespace {

constexpr int kParameterCount = 24;
constexpr int kVcfFreq = 6;
// What RunInArdour.sh answers where Ardour is missing, and where it hung and was killed.
constexpr int kNoArdour = 77;
constexpr int kArdourHung = 124;

struct Finished
{
    int exitCode = -1;
    std::string output;
};

/** The session script in Ardour, on the built bundle in a home folder below `folder`. */
Finished runInArdour(const fs::path& folder)
{
    const fs::path log = folder / "ardour.log";
    const std::string command = std::string("'" BRASK_RUN_IN_ARDOUR "' '") +
                                TestSupport::kBuiltBundlePath + "' '" + folder.string() +
                                "' '" BRASK_ARDOUR_SCRIPT "' '" + (folder / "session").string() +
                                "' >'" + log.string() + "' 2>&1";
    Finished finished;
    const int status = std::system(command.c_str());
    if (status != -1 && WIFEXITED(status)) finished.exitCode = WEXITSTATUS(status);
    std::ifstream in(log);
    finished.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return finished;
}

class BraskInArdour : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/brask-ardour-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        // Never the user's own home: Ardour's configuration, plug-in cache and presets go there.
        ardour = runInArdour(folder);
        fs::remove_all(folder);
        if (ardour.exitCode == kNoArdour)
        {
            skipReason = ardour.output;
            return;
        }
        readInitialValues();
        std::istringstream lines(ardour.output);
        for (std::string line; std::getline(lines, line);)
        {
            std::istringstream words(line);
            std::string step;
            words >> step;
            std::vector<double>& values = shown[step];
            for (double value = 0; words >> value;)
                values.push_back(value);
        }
    }

    /** What a fresh instance of the built bundle plays, as Ardour shows it (plain values). */
    static void readInitialValues()
    {
        std::string error;
        TestSupport::BuiltBundle bundle;
        ASSERT_TRUE(bundle.open(error)) << error;
        const std::vector<double> playing = TestSupport::playingValues(*bundle.instance->component());
        ASSERT_EQ(playing.size(), std::size_t(kParameterCount));
        for (int32 id = 0; id < kParameterCount; ++id)
            initial.push_back(
                bundle.instance->controller()->normalizedParamToPlain(id, playing[std::size_t(id)]));
        vcfFreqQuarter = bundle.instance->controller()->normalizedParamToPlain(kVcfFreq, 0.25);
    }

    void SetUp() override
    {
        if (!skipReason.empty()) GTEST_SKIP() << skipReason;
        ASSERT_NE(ardour.exitCode, kArdourHung) << ardour.output;
        ASSERT_EQ(shown.count("done"), 1u) << "Ardour did not finish its script:\n"
                                           << ardour.output;
    }

    /** Ardour keeps values as single-precision floats. */
    static void expectShown(const std::string& step, std::vector<double> expected)
    {
        ASSERT_EQ(shown[step].size(), expected.size()) << step << "\n" << ardour.output;
        for (size_t id = 0; id < expected.size(); ++id)
            EXPECT_EQ(static_cast<float>(shown[step][id]), static_cast<float>(expected[id]))
                << step << ": parameter " << id;
    }

    static inline std::string skipReason;
    static inline fs::path folder;
    static inline Finished ardour;
    static inline std::map<std::string, std::vector<double>> shown;
    static inline std::vector<double> initial;
    static inline double vcfFreqQuarter = 0.0;
};

TEST_F(BraskInArdour, AFreshInstanceShowsTheValuesThatPlay)
{
    EXPECT_NE(ardour.output.find("plugin " + folder.string()), std::string::npos)
        << "Ardour loaded another Brask:\n"
        << ardour.output;
    expectShown("fresh", initial);
}

TEST_F(BraskInArdour, LoadingAPresetReturnsAndRestoresItsValues)
{
    expectShown("changed", {vcfFreqQuarter});
    expectShown("preset", initial);
}

TEST_F(BraskInArdour, AReloadedSessionShowsTheSavedValues)
{
    std::vector<double> saved = initial;
    saved[kVcfFreq] = vcfFreqQuarter;
    expectShown("reloaded", saved);
}

TEST_F(BraskInArdour, ResettingThePluginGivesTheInitSound)
{
    expectShown("reset", initial);
}

} // namespace
