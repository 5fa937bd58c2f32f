// SPDX-License-Identifier: GPL-3.0-or-later
// Brask in Ardour 7 itself, headless: the built bundle installed into a throwaway home folder,
// indexed by Ardour's VST 3 scanner, then brask-in-ardour.lua run by ardour7-lua on a session of
// its own. One Ardour run serves every case; a run that hangs is killed and fails them all.
// Skipped where Ardour is not installed.
#include "ArdourRun.h"
#include "BuiltBundle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
namespace fs = std::filesystem;

namespace {

constexpr int kParameterCount = 24;
constexpr int kVcfFreq = 6;
class BraskInArdour : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/brask-ardour-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        // Never the user's own home: Ardour's configuration, plug-in cache and presets go there.
        ardour = TestSupport::runInArdour({TestSupport::kBuiltBundlePath, folder.string(),
                                           BRASK_ARDOUR_SCRIPT, (folder / "session").string()},
                                          folder / "ardour.log");
        fs::remove_all(folder);
        if (ardour.exitCode == TestSupport::ArdourRun::kNoArdour)
        {
            skipReason = ardour.output;
            return;
        }
        readInitialValues();
        shown = ardour.steps;
    }

    /** What a fresh instance of the built bundle plays, as Ardour shows it (plain values). */
    static void readInitialValues()
    {
        std::string error;
        TestSupport::BuiltBundle bundle;
        ASSERT_TRUE(bundle.open(error)) << error;
        const std::vector<double> playing =
            TestSupport::playingValues(*bundle.instance->component());
        ASSERT_EQ(playing.size(), std::size_t(kParameterCount));
        for (int32 id = 0; id < kParameterCount; ++id)
            initial.push_back(bundle.instance->controller()->normalizedParamToPlain(
                id, playing[std::size_t(id)]));
        vcfFreqQuarter = bundle.instance->controller()->normalizedParamToPlain(kVcfFreq, 0.25);
    }

    void SetUp() override
    {
        if (!skipReason.empty()) GTEST_SKIP() << skipReason;
        ASSERT_NE(ardour.exitCode, TestSupport::ArdourRun::kHung) << ardour.output;
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
    static inline TestSupport::ArdourRun ardour;
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
