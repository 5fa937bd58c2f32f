// SPDX-License-Identifier: GPL-3.0-or-later
// Brask in Ardour 7 itself, headless: the built bundle installed into a throwaway home folder,
// indexed by Ardour's VST 3 scanner, then brask-in-ardour.lua run by ardour7-lua on a session of
// its own. One Ardour run serves every case; a run that hangs is killed and fails them all.
// Skipped where Ardour is not installed.
#include "BuiltBundle.h"
#include "ChildProcess.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
namespace fs = std::filesystem;

using namespace HostTest;

namespace {

/** Seconds one Ardour run may take; a normal one takes a few. */
constexpr int kArdourTimeout = 120;
constexpr int kParameterCount = 24;
constexpr int kVcfFreq = 6;

class BraskInArdour : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!isExecutable(ARDOUR_LUA) || !isExecutable(ARDOUR_VST3_SCANNER))
        {
            skipReason = "Ardour 7 (ardour7-lua and its VST 3 scanner) is not installed";
            return;
        }
        readInitialValues();

        char pattern[] = "/tmp/brask-ardour-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        // Never the user's own home: Ardour's configuration, plug-in cache and presets go here.
        const fs::path home = folder / "home";
        const fs::path bundle = home / ".vst3" / "Tarvik-Brask.vst3";
        fs::create_directories(bundle.parent_path());
        fs::copy(BRASK_TEST_BUNDLE, bundle, fs::copy_options::recursive);
        // Ardour trusts its index of a bundle only when the index is newer, to the second.
        const auto earlier = fs::file_time_type::clock::now() - std::chrono::minutes(1);
        for (const auto& entry : fs::recursive_directory_iterator(bundle))
            fs::last_write_time(entry.path(), earlier);
        fs::last_write_time(bundle, earlier);
        const std::map<std::string, std::string> environment = {
            {"HOME", home.string()},
            {"XDG_CONFIG_HOME", (home / ".config").string()},
            {"XDG_CACHE_HOME", (home / ".cache").string()},
            {"XDG_DATA_HOME", (home / ".local/share").string()},
        };
        std::map<std::string, std::string> scannerEnvironment = environment;
        scannerEnvironment["LD_LIBRARY_PATH"] = fs::path(ARDOUR_VST3_SCANNER).parent_path();

        const Finished scan = run({ARDOUR_VST3_SCANNER, "-f", bundle.string()}, scannerEnvironment,
                                  folder / "scan.log", kArdourTimeout);
        ASSERT_EQ(scan.exitCode, 0) << scan.output;

        ardour = run({ARDOUR_LUA, BRASK_ARDOUR_SCRIPT, (folder / "session").string()}, environment,
                     folder / "ardour.log", kArdourTimeout);
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

    /** What a fresh instance of the built bundle plays, as Ardour shows it (plain values). */
    static void readInitialValues()
    {
        std::string error;
        TestSupport::BuiltBundle bundle;
        ASSERT_TRUE(bundle.open(error)) << error;
        IPtr<MemoryStream> state = owned(new MemoryStream());
        ASSERT_EQ(bundle.instance->component()->getState(state), kResultOk);
        ASSERT_EQ(state->getSize(), 200);
        for (int32 id = 0; id < kParameterCount; ++id)
        {
            double value = 0.0;
            std::memcpy(&value, state->getData() + 4 + 8 * id, 8);
            initial.push_back(bundle.instance->controller()->normalizedParamToPlain(id, value));
        }
        vcfFreqQuarter = bundle.instance->controller()->normalizedParamToPlain(kVcfFreq, 0.25);
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
