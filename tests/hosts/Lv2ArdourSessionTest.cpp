// SPDX-License-Identifier: GPL-3.0-or-later
// Brask's LV2 bundle in Ardour 7 itself, headless: the bundle installed into a throwaway home
// folder's ~/.lv2, the test notes into its Lua scripts, then brask-lv2-in-ardour.lua run by
// ardour7-lua. A session that is saved and loaded again must show the same values and sound the
// same. Skipped where Ardour is not installed.
#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace HostTest;
namespace fs = std::filesystem;

namespace {

constexpr int kArdourTimeout = 120;

class BraskLv2InArdour : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!isExecutable(ARDOUR_LUA))
        {
            skipReason = "Ardour 7 (ardour7-lua) is not installed";
            return;
        }
        char pattern[] = "/tmp/brask-lv2-ardour-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        const fs::path folder = pattern;
        const fs::path home = folder / "home";
        // The bundle's link to the module is followed: the copy holds the module itself.
        fs::create_directories(home / ".lv2");
        fs::copy(BRASK_LV2_BUNDLE, home / ".lv2" / "Tarvik-Brask.lv2", fs::copy_options::recursive);
        fs::create_directories(home / ".config" / "ardour7" / "scripts");
        fs::copy(BRASK_TEST_NOTES, home / ".config" / "ardour7" / "scripts");
        const std::map<std::string, std::string> environment = {
            {"HOME", home.string()},
            {"XDG_CONFIG_HOME", (home / ".config").string()},
            {"XDG_CACHE_HOME", (home / ".cache").string()},
            {"XDG_DATA_HOME", (home / ".local/share").string()},
        };
        ardour = run({ARDOUR_LUA, BRASK_LV2_ARDOUR_SCRIPT, (folder / "session").string()},
                     environment, folder / "ardour.log", kArdourTimeout);
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
        fs::remove_all(folder);
    }

    void SetUp() override
    {
        if (!skipReason.empty()) GTEST_SKIP() << skipReason;
        ASSERT_FALSE(ardour.timedOut)
            << "Ardour hung and was killed after " << kArdourTimeout << " s; its output:\n"
            << ardour.output;
        ASSERT_EQ(shown.count("done"), 1u) << "Ardour did not finish its script:\n"
                                           << ardour.output;
    }

    static inline std::string skipReason;
    static inline Finished ardour;
    static inline std::map<std::string, std::vector<double>> shown;
};

TEST_F(BraskLv2InArdour, ShowsTheInitSoundAndTheMovedControls)
{
    // Ports: OSC Mix 1, Glide 1 (Poly-Legato), VCF Freq 0.9, Octave 0 in the Init sound.
    const std::vector<double>& fresh = shown["fresh"];
    const std::vector<double>& changed = shown["changed"];
    ASSERT_EQ(fresh.size(), 24u) << ardour.output;
    ASSERT_EQ(changed.size(), 24u) << ardour.output;
    EXPECT_EQ(fresh[0], 1.0);
    EXPECT_EQ(fresh[3], 1.0);
    EXPECT_EQ(static_cast<float>(fresh[6]), 0.9f);
    EXPECT_EQ(fresh[22], 0.0);
    EXPECT_EQ(changed[3], 3.0);
    EXPECT_EQ(static_cast<float>(changed[6]), 0.123f);
}

TEST_F(BraskLv2InArdour, PlaysTheNotes)
{
    ASSERT_EQ(shown["peak"].size(), 1u) << ardour.output;
    EXPECT_GT(shown["peak"][0], -60.0) << ardour.output;
}

TEST_F(BraskLv2InArdour, AReloadedSessionShowsTheSavedValuesAndSoundsTheSame)
{
    EXPECT_EQ(shown["reloaded"], shown["changed"]) << ardour.output;
    ASSERT_EQ(shown["peak-reloaded"].size(), 1u) << ardour.output;
    ASSERT_EQ(shown["peak"].size(), 1u) << ardour.output;
    EXPECT_NEAR(shown["peak-reloaded"][0], shown["peak"][0], 0.1) << ardour.output;
}

} // namespace
