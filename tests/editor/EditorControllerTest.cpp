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
#include "ShownText.h"
#include "TestHosts.h"

#include "editor/ParameterBinding.h"
#include "editor/VST3Editor.h"
#include "views/CAnimKnob.h"
#include "views/COptionMenu.h"

#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

using EditorTest::TestHost;
using TestSupport::shownValue;

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
    EXPECT_EQ(view->canResize(), kResultFalse) << "zoom steps only, never a free size";
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

/** The editor of a controller, without a window. */
VSTGUI::VST3Editor* editorOf(IPtr<IPlugView>& view, BraskControllerWithUI& controller)
{
    view = owned(controller.createView("editor"));
    return dynamic_cast<VSTGUI::VST3Editor*>(view.get());
}

template <typename T>
T* controlOf(VSTGUI::VST3Editor& editor, ParamID id)
{
    VSTGUI::ParameterBinding* binding = editor.getBinding(id);
    if (!binding) return nullptr;
    for (VSTGUI::CControl* control : binding->getControls())
        if (auto* found = dynamic_cast<T*>(control)) return found;
    return nullptr;
}

TEST_F(EditorControllerTest, ControlsShowTheFrameOfTheValueThatPlays)
{
    open(false);
    IPtr<IPlugView> view;
    VSTGUI::VST3Editor* editor = editorOf(view, *controller);
    ASSERT_NE(editor, nullptr);

    // The octave steps at multiples of 1/4.9, wherever a value falls: the last value below the
    // first step sits within a float's rounding of it.
    double firstStep = 1.0 / 4.9;
    while (std::floor(4.9 * firstStep) < 1.0)
        firstStep = std::nextafter(firstStep, 1.0);
    const double belowFirstStep = std::nextafter(firstStep, 0.0);
    struct Case
    {
        ParamID id;
        double value;
        int32_t frame;
    };
    // 101-frame knob and fader; the 5-frame octave knob shows the octave that plays.
    const Case cases[] = {
        {kLfoRate, 0.0, 0},      {kLfoRate, 0.5, 50},  {kLfoRate, 1.0, 100},
        {kVcfFreq, 0.0, 0},      {kVcfFreq, 0.5, 50},  {kVcfFreq, 1.0, 100},
        {kOctave, 0.0, 0},       {kOctave, 0.2040, 0}, {kOctave, belowFirstStep, 0},
        {kOctave, firstStep, 1}, {kOctave, 0.25, 1},   {kOctave, 0.4081, 1},
        {kOctave, 0.4082, 2},    {kOctave, 0.5, 2},    {kOctave, 0.6122, 2},
        {kOctave, 0.6123, 3},    {kOctave, 0.75, 3},   {kOctave, 0.8163, 3},
        {kOctave, 0.8164, 4},    {kOctave, 1.0, 4},
    };
    for (const Case& c : cases)
    {
        ASSERT_EQ(controller->setParamNormalized(c.id, c.value), kResultOk);
        auto* knob = controlOf<VSTGUI::CAnimKnob>(*editor, c.id);
        ASSERT_NE(knob, nullptr) << c.id;
        EXPECT_EQ(knob->getFrameIndex(), c.frame) << c.id << " at " << c.value;
        if (c.id == kOctave)
        {
            EXPECT_EQ(knob->getFrameIndex() - 2, std::stoi(shownValue(*controller, kOctave)))
                << "pointer and read-out at " << c.value;
        }
    }
}

TEST_F(EditorControllerTest, VoiceModeMenuShowsTheModeThatPlays)
{
    open(false);
    IPtr<IPlugView> view;
    VSTGUI::VST3Editor* editor = editorOf(view, *controller);
    ASSERT_NE(editor, nullptr);
    auto* menu = controlOf<VSTGUI::COptionMenu>(*editor, kGlide);
    ASSERT_NE(menu, nullptr);

    EXPECT_EQ(menu->getDisplayText(), "Poly-Legato") << "the Init sound's 0.3";
    for (int step = 0; step <= 100; ++step)
    {
        const double value = step / 100.0;
        ASSERT_EQ(controller->setParamNormalized(kGlide, value), kResultOk);
        EXPECT_EQ(menu->getDisplayText(), shownValue(*controller, kGlide)) << value;
        EXPECT_EQ(menu->getEntry(menu->getCurrentIndex()), shownValue(*controller, kGlide))
            << value;
    }
    // An entry the user picks is what plays and what the menu then shows.
    for (int32_t entry = 0; entry < menu->getNbEntries(); ++entry)
    {
        menu->selectEntry(entry);
        EXPECT_EQ(controller->getParamNormalized(kGlide), entry / 5.0);
        EXPECT_EQ(shownValue(*controller, kGlide), menu->getEntry(entry));
        EXPECT_EQ(menu->getCurrentIndex(), entry);
    }
}

TEST_F(EditorControllerTest, KnobsFollowAVerticalDragUnlessThisHostChoseAnotherMode)
{
    open(false);
    IPtr<BraskControllerWithUI> other = owned(new BraskControllerWithUI());
    ASSERT_EQ(other->initialize(host.context()), kResultOk);
    // A host that chooses a mode for one instance leaves the others (a VST 2 instance in the
    // same process, say) as they were.
    ASSERT_EQ(other->setKnobMode(kCircularMode), kResultOk);

    IPtr<IPlugView> view;
    VSTGUI::VST3Editor* editor = editorOf(view, *controller);
    ASSERT_NE(editor, nullptr);
    auto* knob = controlOf<VSTGUI::CAnimKnob>(*editor, kLfoRate);
    ASSERT_NE(knob, nullptr);
    // 50 pixels up from the knob's centre: a quarter of the linear travel, no jump.
    auto dragUp = [&] {
        controller->setParamNormalized(kLfoRate, 0.5);
        VSTGUI::CPoint from = knob->getViewSize().getCenter();
        VSTGUI::CPoint to(from.x, from.y - 50);
        knob->onMouseDown(from, VSTGUI::CButtonState(VSTGUI::kLButton));
        knob->onMouseMoved(to, VSTGUI::CButtonState(VSTGUI::kLButton));
        knob->onMouseUp(to, VSTGUI::CButtonState(VSTGUI::kLButton));
        return controller->getParamNormalized(kLfoRate);
    };
    EXPECT_EQ(editor->getKnobMode(), kLinearMode);
    EXPECT_NEAR(dragUp(), 0.75, 1e-6);

    ASSERT_EQ(controller->setKnobMode(kCircularMode), kResultOk);
    EXPECT_EQ(editor->getKnobMode(), kCircularMode);
    EXPECT_NEAR(dragUp(), 0.5, 1e-6) << "straight up from the centre points at the top";
    ASSERT_EQ(controller->setKnobMode(kRelativCircularMode), kResultOk);
    EXPECT_EQ(editor->getKnobMode(), kRelativCircularMode);
    EXPECT_EQ(controller->setKnobMode(7), kResultFalse);
    EXPECT_EQ(editor->getKnobMode(), kRelativCircularMode);
    other->terminate();
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
