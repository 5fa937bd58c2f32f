// SPDX-License-Identifier: GPL-3.0-or-later
// Brask's LV2 bundle in Ardour 7 itself, headless: the bundle installed into a throwaway home
// folder's ~/.lv2, the test notes into its Lua scripts, then brask-lv2-in-ardour.lua run by
// ardour7-lua, all through RunInArdour.sh. A session that is saved and loaded again must show the
// same values and sound the same. Skipped where Ardour is not installed.
#include "ArdourRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using Steinberg::Vst::Tarvik::TestSupport::ArdourRun;
using Steinberg::Vst::Tarvik::TestSupport::runInArdour;
namespace fs = std::filesystem;

namespace {

class BraskLv2InArdour : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/brask-lv2-ardour-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        const fs::path folder = pattern;
        ardour =
            runInArdour({"--lv2", "--lua-script", BRASK_TEST_NOTES, BRASK_LV2_BUNDLE,
                         folder.string(), BRASK_LV2_ARDOUR_SCRIPT, (folder / "session").string()},
                        folder / "ardour.log");
        fs::remove_all(folder);
        if (ardour.exitCode == ArdourRun::kNoArdour) skipReason = ardour.output;
        shown = ardour.steps;
    }

    void SetUp() override
    {
        if (!skipReason.empty()) GTEST_SKIP() << skipReason;
        ASSERT_NE(ardour.exitCode, ArdourRun::kHung) << ardour.output;
        ASSERT_EQ(shown.count("done"), 1u) << "Ardour did not finish its script:\n"
                                           << ardour.output;
    }

    static inline std::string skipReason;
    static inline ArdourRun ardour;
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

TEST_F(BraskLv2InArdour, PlaysTheNotesOfAMidiRegion)
{
    ASSERT_EQ(shown["region-notes"].size(), 1u) << ardour.output;
    EXPECT_GT(shown["region-notes"][0], 0.0) << ardour.output;
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
