// SPDX-License-Identifier: GPL-3.0-or-later
// Presets chosen in the editor reach the host and the processor as a host's own loading does:
// edits the host records, a processor that then holds the file's state bit for bit, stepping
// through the list, the mark of a changed sound, and the state a saved preset holds.
#include "PresetBrowser.h"
#include "BraskCids.h"
#include "BraskController.h"
#include "BraskParameterIds.h"
#include "EngineRig.h"
#include "ProcessorState.h"
#include "ScratchFolder.h"
#include "VstPresetFile.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace {

namespace fs = std::filesystem;

/** A host's component handler that writes down every call; IComponentHandler2 only when asked. */
class RecordingHandler : public IComponentHandler, public IComponentHandler2
{
public:
    explicit RecordingHandler(bool groups) : groups(groups) {}

    tresult PLUGIN_API beginEdit(ParamID id) override { return note("begin", id); }
    tresult PLUGIN_API performEdit(ParamID id, ParamValue value) override
    {
        performed.emplace_back(id, value);
        return note("perform", id);
    }
    tresult PLUGIN_API endEdit(ParamID id) override { return note("end", id); }
    tresult PLUGIN_API restartComponent(int32) override { return note("restart", 0); }
    tresult PLUGIN_API setDirty(TBool) override { return kResultOk; }
    tresult PLUGIN_API requestOpenEditor(FIDString) override { return kResultOk; }
    tresult PLUGIN_API startGroupEdit() override { return note("start group", 0); }
    tresult PLUGIN_API finishGroupEdit() override { return note("finish group", 0); }

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
            FUnknownPrivate::iidEqual(iid, IComponentHandler::iid))
        {
            *obj = static_cast<IComponentHandler*>(this);
            return kResultOk;
        }
        if (groups && FUnknownPrivate::iidEqual(iid, IComponentHandler2::iid))
        {
            *obj = static_cast<IComponentHandler2*>(this);
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    std::vector<std::string> calls;
    std::vector<std::pair<ParamID, ParamValue>> performed;

private:
    tresult note(const char* what, ParamID id)
    {
        calls.push_back(std::string(what) + " " + std::to_string(id));
        return kResultOk;
    }
    bool groups;
};

class PresetBrowserTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(controller->initialize(&host), kResultOk); }
    void TearDown() override { controller->terminate(); }

    HostApplication host;
    IPtr<BraskController> controller = owned(new BraskController());
    TestSupport::ScratchFolder folder{"brask-browser"};
};

/** A user's preset whose values no text conversion would give. */
std::vector<uint8_t> oddState()
{
    Presets::ProcessorState state;
    for (int32 i = 0; i < kSoundParamCount; ++i)
        state.values.push_back(i % 3 == 0 ? 1.0 / (i + 3.0) : (i % 3 == 1 ? 0.0 : 1.0));
    return state.bytes();
}

TEST_F(PresetBrowserTest, LoadingEditsEveryValueAsAHostRecordsItAndLeavesTheProcessorTheFilesState)
{
    Presets::VstPreset factoryFile;
    std::string error;
    ASSERT_TRUE(Presets::VstPresetFile::read(fs::path(BRASK_BANK_DIR) / "Acid Squelch.vstpreset",
                                             factoryFile, error))
        << error;
    {
        std::ofstream odd(folder.path / "Odd.vstpreset", std::ios::binary);
        const std::vector<uint8_t> bytes =
            Presets::VstPresetFile::compose(kBraskProcessorUID, oddState(), {}, "");
        odd.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    struct Case
    {
        const char* name;
        const char* category;
        std::vector<uint8_t> state; // the file's 'Comp'
        bool groups;
    };
    const Case cases[] = {
        {"Acid Squelch", "Bass", factoryFile.componentState, true},
        {"Odd", "User", oddState(), true},
        {"Acid Squelch", "Bass", factoryFile.componentState, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.name) + (c.groups ? " in a group" : " without groups"));
        RecordingHandler handler(c.groups);
        controller->setComponentHandler(&handler);
        PresetBrowser browser(*controller, folder.path);
        browser.refresh();
        const int32 index = browser.library().find(c.name, c.category);
        ASSERT_GE(index, 0);
        ASSERT_TRUE(browser.load(index));
        EXPECT_EQ(browser.current(), index);
        EXPECT_EQ(browser.currentName(), c.name);

        std::vector<std::string> expected;
        if (c.groups) expected.push_back("start group 0");
        for (int32 id = 0; id < kSoundParamCount; ++id)
            for (const char* what : {"begin ", "perform ", "end "})
                expected.push_back(what + std::to_string(id));
        if (c.groups) expected.push_back("finish group 0");
        EXPECT_EQ(handler.calls, expected);

        // The host hands the edits to the processor in its next block's queues.
        TestRig::ProcessorRig rig;
        for (const auto& [id, value] : handler.performed)
            rig.changes.add(id, 0, value);
        rig.process(64);
        const std::vector<char> played = TestRig::saveState(rig.processor);
        EXPECT_EQ(std::vector<uint8_t>(played.begin(), played.end()), c.state);
        EXPECT_EQ(browser.componentState(), c.state);
        controller->setComponentHandler(nullptr);
    }
}

TEST_F(PresetBrowserTest, StepsWrapAroundTheListAndTheMarkFollowsTheSound)
{
    PresetBrowser browser(*controller, folder.path);
    browser.refresh();
    const auto last = static_cast<int32>(browser.library().presets().size()) - 1;
    EXPECT_FALSE(browser.isModified()); // nothing loaded
    struct Step
    {
        int32 direction;
        int32 lands;
    };
    const Step steps[] = {{1, 0}, {-1, last}, {1, 0}, {1, 1}, {-1, 0}};
    for (const Step& step : steps)
    {
        ASSERT_TRUE(browser.step(step.direction));
        EXPECT_EQ(browser.current(), step.lands);
        EXPECT_FALSE(browser.isModified());
    }
    const double before = controller->getParamNormalized(kNoise);
    controller->setParamNormalized(kNoise, before + 0.25);
    EXPECT_TRUE(browser.isModified());
    // A host that keeps values in single precision gives them back rounded, one that keeps a
    // stepped parameter by its step gives back the step's value: no change. Init's glide mode
    // is Poly-Legato at 0.3.
    struct Echo
    {
        ParamID id;
        double value;
        bool modified;
    };
    const Echo echoes[] = {{kNoise, static_cast<float>(before), false},
                           {kGlide, 0.2, false},
                           {kGlide, 0.5, true},
                           {kGlide, 0.3, false}};
    for (const Echo& echo : echoes)
    {
        controller->setParamNormalized(echo.id, echo.value);
        EXPECT_EQ(browser.isModified(), echo.modified) << echo.id << " at " << echo.value;
    }
    EXPECT_FALSE(browser.load(last + 1));
    EXPECT_FALSE(browser.load(-1));

    PresetBrowser fresh(*controller, folder.path);
    fresh.refresh();
    ASSERT_TRUE(fresh.step(-1));
    EXPECT_EQ(fresh.current(), last);
}

TEST_F(PresetBrowserTest, SavingStoresTheProcessorsBytesForTheControlsAndLoadsTheSavedPreset)
{
    PresetBrowser browser(*controller, folder.path);
    browser.refresh();
    controller->setParamNormalized(kVcfFreq, 0.123);
    controller->setParamNormalized(kGlide, 1.0);
    std::string error;
    ASSERT_TRUE(browser.save("  My Lead ", false, error)) << error;
    EXPECT_EQ(browser.currentName(), "My Lead");
    EXPECT_EQ(browser.current(), browser.library().find("My Lead", "User"));
    EXPECT_FALSE(browser.isModified());

    Presets::VstPreset file;
    ASSERT_TRUE(Presets::VstPresetFile::read(folder.path / "My Lead.vstpreset", file, error));
    ASSERT_EQ(file.componentState.size(), 200u);
    // The processor reads the bytes and writes the very same back.
    TestRig::ProcessorRig rig;
    ASSERT_EQ(TestRig::loadState(rig.processor, std::vector<char>(file.componentState.begin(),
                                                                  file.componentState.end())),
              kResultOk);
    rig.process(32);
    const std::vector<char> written = TestRig::saveState(rig.processor);
    EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.end()), file.componentState);
    EXPECT_EQ(rig.processor->paramValues[kVcfFreq], 0.123);
    EXPECT_EQ(file.controllerState, browser.controllerState());

    EXPECT_FALSE(browser.save("My Lead", false, error)); // exists: only with the user's yes
    EXPECT_FALSE(browser.save("   ", false, error));
    EXPECT_EQ(browser.currentName(), "My Lead");
}

TEST_F(PresetBrowserTest, SavedPresetIsFoundByBraskRenderInTheUsersFolder)
{
    // brask-render looks in $HOME/.vst3/presets/Tarvik/Brask, the editor's user folder.
    const fs::path userFolder = folder.path / ".vst3" / "presets" / "Tarvik" / "Brask";
    PresetBrowser browser(*controller, userFolder);
    std::string error;
    ASSERT_TRUE(browser.save("Saved In The Editor", false, error)) << error;

    const std::string command =
        "HOME='" + folder.path.string() + "' '" BRASK_RENDER "' --list-presets 2>&1";
    FILE* listing = ::popen(command.c_str(), "r");
    ASSERT_NE(listing, nullptr);
    std::string output;
    char buffer[4096];
    while (size_t got = std::fread(buffer, 1, sizeof buffer, listing))
        output.append(buffer, got);
    EXPECT_EQ(::pclose(listing), 0) << output;
    EXPECT_NE(
        output.find("Presets in " + userFolder.string() + ":\n  User     Saved In The Editor"),
        std::string::npos)
        << output;
}

} // namespace
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
