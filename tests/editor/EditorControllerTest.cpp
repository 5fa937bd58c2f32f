// SPDX-License-Identifier: GPL-3.0-or-later
// BraskControllerWithUI as its editor's host and delegate: which view names open an editor, the
// template a host's screen asks for (and the fall-back where the description has none), the
// sub-controller and its buttons, and the controls' frames for parameter values.
#include "BraskCids.h"
#include "BraskControllerWithUI.h"
#include "BraskParameterDefaults.h"
#include "BraskParameterIds.h"
#include "EditorTemplate.h"
#include "InterAppAudioControlsController.h"
#include "TestHosts.h"

#include "editor/ParameterBinding.h"
#include "editor/VST3Editor.h"
#include "views/CAnimKnob.h"

#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

using EditorTest::TestHost;

class EditorControllerTest : public ::testing::Test
{
protected:
    void open(bool interAppAudio)
    {
        host.interAppAudio = interAppAudio;
        ASSERT_EQ(controller->initialize(host.context()), kResultOk);
    }
    void TearDown() override { controller->terminate(); }

    TestHost host;
    IPtr<BraskControllerWithUI> controller = owned(new BraskControllerWithUI());
};

TEST_F(EditorControllerTest, OnlyTheViewNamedEditorOpensTheFixedSizePanel)
{
    open(false);
    for (const char* name : {"Editor", "view", "editor ", ""})
        EXPECT_EQ(controller->createView(name), nullptr) << name;
    EXPECT_EQ(controller->createView(nullptr), nullptr);

    IPtr<IPlugView> view = owned(controller->createView("editor"));
    ASSERT_TRUE(view);
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), 778);
    EXPECT_EQ(size.getHeight(), 465);
    EXPECT_EQ(view->canResize(), kResultFalse);
}

TEST_F(EditorControllerTest, HostScreenChoosesTheTemplateAndMissingOnesFallBackToTheEditor)
{
    struct Screen
    {
        int32 right;
        bool fails;
        const char* wanted;
    };
    const Screen screens[] = {{1366, false, "EditorIPad"},
                              {1024, false, "EditorIPad"},
                              {568, false, "EditorIPhone4Inch"},
                              {480, false, "Editor"},
                              {1366, true, "Editor"}};
    for (const Screen& screen : screens)
    {
        TestHost screenHost;
        screenHost.screenRight = screen.right;
        screenHost.screenFails = screen.fails;
        EXPECT_STREQ(editorTemplateFor(screenHost.context()), screen.wanted) << screen.right;

        IPtr<BraskControllerWithUI> withHost = owned(new BraskControllerWithUI());
        ASSERT_EQ(withHost->initialize(screenHost.context()), kResultOk);
        IPtr<IPlugView> view = owned(withHost->createView("editor"));
        auto* editor = dynamic_cast<VSTGUI::VST3Editor*>(view.get());
        ASSERT_NE(editor, nullptr);
        // The description carries only the desktop panel: never an empty editor.
        EXPECT_EQ(editor->getTemplateName(), "Editor") << screen.right;
        EXPECT_EQ(editor->getEditorSize(), VSTGUI::CPoint(778, 465)) << screen.right;
        view = nullptr;
        withHost->terminate();
    }
    TestHost without(false);
    EXPECT_STREQ(editorTemplateFor(without.context()), "Editor");
    EXPECT_STREQ(editorTemplateFor(nullptr), "Editor");
}

TEST_F(EditorControllerTest, SubControllerOnlyForItsNameAndAnInterAppAudioHost)
{
    open(true);
    for (const char* name : {"interappaudiocontrolscontroller", "Other", ""})
        EXPECT_EQ(controller->createSubController(name, nullptr, nullptr), nullptr) << name;
    std::unique_ptr<VSTGUI::IController> sub(
        controller->createSubController("InterAppAudioControlsController", nullptr, nullptr));
    EXPECT_NE(dynamic_cast<InterAppAudioControlsController*>(sub.get()), nullptr);

    IPtr<BraskControllerWithUI> plain = owned(new BraskControllerWithUI());
    TestHost without(false);
    ASSERT_EQ(plain->initialize(without.context()), kResultOk);
    EXPECT_EQ(plain->createSubController("InterAppAudioControlsController", nullptr, nullptr),
              nullptr);
    plain->terminate();
}

TEST_F(EditorControllerTest, InterAppAudioButtonsActOnPressWithOnePresetManager)
{
    TestHost host;
    {
        InterAppAudioControlsController buttons(&host);
        auto press = [&buttons](int32_t tag, float value) {
            VSTGUI::CControl button(VSTGUI::CRect(0, 0, 20, 20), &buttons, tag);
            button.setValue(value);
            buttons.valueChanged(&button);
        };
        press(5001, 0.f); // releases do nothing
        press(5000, 0.f);
        EXPECT_EQ(host.presetManagersCreated + host.settingsShown, 0);

        press(5001, 1.f);
        press(5001, 1.f);
        press(5002, 1.f);
        press(5000, 1.f);
        press(4999, 1.f);
        EXPECT_EQ(host.presetManagersCreated, 1);
        EXPECT_EQ(host.presetClass, kBraskProcessorUID);
        EXPECT_EQ(host.presets.loads, 2);
        EXPECT_EQ(host.presets.saves, 1);
        EXPECT_EQ(host.settingsShown, 1);
        EXPECT_EQ(host.presets.alive, 1);
    }
    EXPECT_EQ(host.presets.alive, 0); // released with the sub-controller
}

TEST_F(EditorControllerTest, ControlsShowTheFrameOfTheParameterValue)
{
    open(false);
    IPtr<IPlugView> view = owned(controller->createView("editor"));
    auto* editor = dynamic_cast<VSTGUI::VST3Editor*>(view.get());
    ASSERT_NE(editor, nullptr);

    struct Case
    {
        ParamID id;
        double value;
        int32_t frame;
    };
    // 101-frame knob and fader; the 5-frame octave knob changes at 0.25, 0.5, 0.75 and 1.0.
    const Case cases[] = {
        {kLfoRate, 0.0, 0},  {kLfoRate, 0.5, 50},  {kLfoRate, 1.0, 100}, {kVcfFreq, 0.0, 0},
        {kVcfFreq, 0.5, 50}, {kVcfFreq, 1.0, 100}, {kOctave, 0.0, 0},    {kOctave, 0.2499, 0},
        {kOctave, 0.25, 1},  {kOctave, 0.4999, 1}, {kOctave, 0.5, 2},    {kOctave, 0.7499, 2},
        {kOctave, 0.75, 3},  {kOctave, 0.9999, 3}, {kOctave, 1.0, 4},
    };
    for (const Case& c : cases)
    {
        ASSERT_EQ(controller->setParamNormalized(c.id, c.value), kResultOk);
        VSTGUI::ParameterBinding* binding = editor->getBinding(c.id);
        ASSERT_NE(binding, nullptr) << c.id;
        int knobs = 0;
        for (VSTGUI::CControl* control : binding->getControls())
            if (auto* knob = dynamic_cast<VSTGUI::CAnimKnob*>(control))
            {
                EXPECT_EQ(knob->getFrameIndex(), c.frame) << c.id << " at " << c.value;
                ++knobs;
            }
        EXPECT_EQ(knobs, 1) << c.id;
    }
}

TEST_F(EditorControllerTest, ResetGestureGivesTheSoundANewInstancePlays)
{
    open(false);
    IPtr<IPlugView> view = owned(controller->createView("editor"));
    auto* editor = dynamic_cast<VSTGUI::VST3Editor*>(view.get());
    ASSERT_NE(editor, nullptr);
    int knobs = 0;
    for (int32 id = 0; id < kSoundParamCount; ++id)
    {
        VSTGUI::ParameterBinding* binding = editor->getBinding(static_cast<ParamID>(id));
        ASSERT_NE(binding, nullptr) << id;
        for (VSTGUI::CControl* control : binding->getControls())
        {
            auto* knob = dynamic_cast<VSTGUI::CAnimKnob*>(control);
            if (!knob) continue;
            for (int32_t gesture : {int32_t(VSTGUI::kDoubleClick), int32_t(VSTGUI::kControl)})
            {
                controller->setParamNormalized(static_cast<ParamID>(id), 0.123);
                VSTGUI::CPoint centre = knob->getViewSize().getCenter();
                knob->onMouseDown(centre, VSTGUI::CButtonState(VSTGUI::kLButton | gesture));
                EXPECT_EQ(controller->getParamNormalized(static_cast<ParamID>(id)),
                          static_cast<double>(kDefaultParamValues[id]))
                    << "parameter " << id;
            }
            ++knobs;
        }
    }
    EXPECT_EQ(knobs, 23);
}

} // namespace
