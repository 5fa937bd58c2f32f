// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's presets and units on the panel: the name plate that names the loaded preset (and
// the panel exactly as drawn while none is), its mark once a control has changed, and read-outs
// in musical units while a control is hovered, dragged or typed into.
#include "BraskControllerWithUI.h"
#include "BraskParameterIds.h"
#include "ControllerWithUITest.h"
#include "PresetBrowser.h"
#include "PresetNameView.h"
#include "TestHosts.h"

#include "editor/TextConversion.h"
#include "editor/VST3Editor.h"
#include "platform/offscreen/OffscreenRender.h"
#include "views/CFrame.h"
#include "views/CTextEdit.h"
#include "views/CViewContainer.h"

#include "pluginterfaces/gui/iplugview.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <gtest/gtest.h>

#include <string>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace {

using VSTGUI::VST3Editor;

PresetNameView* presetNameOf(VST3Editor& editor)
{
    auto* panel = dynamic_cast<VSTGUI::CViewContainer*>(editor.getFrame()->getView(0));
    for (size_t i = 0; panel && i < panel->getNbViews(); ++i)
    {
        if (auto* view = dynamic_cast<PresetNameView*>(panel->getView(i))) return view;
    }
    return nullptr;
}

/** The rectangle holding every pixel where two renders differ; empty when none does. */
VSTGUI::CRect differences(const VSTGUI::OffscreenImage& a, const VSTGUI::OffscreenImage& b)
{
    VSTGUI::CRect found;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.getPixel(x, y) != b.getPixel(x, y))
                found.unite(VSTGUI::CRect(x, y, x + 1, y + 1));
    return found;
}

class EditorPresetsTest : public ControllerWithUITest
{
protected:
    EditorPresetsTest() : ControllerWithUITest("") {} // the factory bank only

    void load(const char* name, const char* category)
    {
        PresetBrowser& browser = controller->presetBrowser();
        browser.refresh();
        ASSERT_TRUE(browser.load(browser.library().find(name, category))) << name;
    }
};

TEST_F(EditorPresetsTest, NamePlateKeepsThePanelAsDrawnUntilAPresetIsLoadedThenNamesIt)
{
    IPtr<IPlugView> view;
    VST3Editor* editor = openEditor(view);
    ASSERT_NE(editor, nullptr);
    PresetNameView* presetName = presetNameOf(*editor);
    ASSERT_NE(presetName, nullptr);
    EXPECT_EQ(presetName->getText(), "");
    EXPECT_FALSE(presetName->getMouseEnabled()); // the name plate still opens the about panel

    for (const double scale : {1.0, 2.0})
    {
        const VSTGUI::OffscreenImage shown = VSTGUI::renderToImage(*editor->getFrame(), scale);
        presetName->setVisible(false);
        const VSTGUI::OffscreenImage without = VSTGUI::renderToImage(*editor->getFrame(), scale);
        presetName->setVisible(true);
        EXPECT_TRUE(differences(shown, without).isEmpty()) << scale;
    }

    load("Acid Squelch", "Bass");
    EXPECT_EQ(presetName->getText(), "Acid Squelch");
    const VSTGUI::OffscreenImage named = VSTGUI::renderToImage(*editor->getFrame());
    presetName->setVisible(false);
    const VSTGUI::OffscreenImage subtitle = VSTGUI::renderToImage(*editor->getFrame());
    presetName->setVisible(true);
    const VSTGUI::CRect changed = differences(named, subtitle);
    EXPECT_FALSE(changed.isEmpty());
    VSTGUI::CRect inside = changed;
    inside.bound(PresetNameView::subtitleArea());
    EXPECT_EQ(inside, changed);
}

TEST_F(EditorPresetsTest, NamePlateMarksThePresetOnceAControlChangesInEveryOpenEditor)
{
    IPtr<IPlugView> firstView;
    VST3Editor* first = openEditor(firstView);
    ASSERT_NE(first, nullptr);
    load("Warm Pad", "Pad");
    const double noise = controller->getParamNormalized(kNoise);

    IPtr<IPlugView> secondView;
    VST3Editor* second = openEditor(secondView); // opens with the name
    ASSERT_NE(second, nullptr);
    struct Change
    {
        double noise;
        const char* title;
    };
    const Change changes[] = {{noise, "Warm Pad"},
                              {noise < 0.5 ? noise + 0.25 : noise - 0.25, "Warm Pad *"},
                              {noise, "Warm Pad"}};
    for (const Change& change : changes)
    {
        controller->setParamNormalized(kNoise, change.noise); // as the host's automation does
        EXPECT_EQ(presetNameOf(*first)->getText(), change.title);
        EXPECT_EQ(presetNameOf(*second)->getText(), change.title);
    }
    // A closed and released editor is forgotten: changes go on without it.
    firstView = nullptr;
    controller->setParamNormalized(kNoise, 0.9);
    EXPECT_EQ(presetNameOf(*second)->getText(), "Warm Pad *");
}

/** The read-out bound to a parameter. */
VSTGUI::CTextEdit* readOutOf(VSTGUI::CView* view, ParamID id)
{
    if (auto* edit = dynamic_cast<VSTGUI::CTextEdit*>(view))
        return edit->getTag() == static_cast<int32_t>(id) ? edit : nullptr;
    auto* container = dynamic_cast<VSTGUI::CViewContainer*>(view);
    for (size_t i = 0; container && i < container->getNbViews(); ++i)
        if (VSTGUI::CTextEdit* found = readOutOf(container->getView(i), id)) return found;
    return nullptr;
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(EditorPresetsTest, ReadOutsShowMusicalUnitsWhileAControlIsHoveredOrDragged)
{
    IPtr<IPlugView> view;
    VST3Editor* editor = openEditor(view);
    ASSERT_NE(editor, nullptr);
    VSTGUI::CFrame& frame = *editor->getFrame();
    VSTGUI::OffscreenPlatformFrame platform(&frame);
    frame.setPlatformFrame(&platform);
    struct Control
    {
        ParamID id;
        VSTGUI::CPoint at; // on the knob or fader, in editor pixels
        const char* unit;
    };
    const Control controls[] = {
        {kVcfAtt, {588, 150}, "s"},    // a time, in ms or s
        {kOscTune, {163, 217}, " st"}, // semitones
        {kLfoRate, {360, 217}, " Hz"},
    };
    const VSTGUI::CPoint outside(300, 445);
    for (const Control& control : controls)
    {
        VSTGUI::CTextEdit* readOut = readOutOf(&frame, control.id);
        ASSERT_NE(readOut, nullptr);
        String128 own{};
        const auto ownText = [&] {
            controller->getParamStringByValue(control.id,
                                              controller->getParamNormalized(control.id), own);
            return VSTGUI::string128ToUtf8(own);
        };
        EXPECT_EQ(readOut->getDisplayText(), ownText());

        frame.platformOnMouseMoved(control.at, VSTGUI::CButtonState());
        EXPECT_TRUE(endsWith(readOut->getDisplayText(), control.unit)) << readOut->getDisplayText();
        frame.platformOnMouseMoved(outside, VSTGUI::CButtonState());
        EXPECT_EQ(readOut->getDisplayText(), ownText());

        // A drag that ends away from the control: the unit while it lasts, the text after.
        frame.platformOnMouseDown(control.at, VSTGUI::kLButton);
        frame.platformOnMouseMoved(control.at + VSTGUI::CPoint(0, -20), VSTGUI::kLButton);
        EXPECT_TRUE(endsWith(readOut->getDisplayText(), control.unit)) << readOut->getDisplayText();
        frame.platformOnMouseMoved(outside, VSTGUI::kLButton);
        EXPECT_TRUE(endsWith(readOut->getDisplayText(), control.unit)) << readOut->getDisplayText();
        frame.platformOnMouseUp(outside, VSTGUI::kLButton);
        EXPECT_EQ(readOut->getDisplayText(), ownText());
    }
    frame.setPlatformFrame(nullptr);
}

TEST_F(EditorPresetsTest, ReadOutsTakeTypedQuantitiesAtTheProcessorsRate)
{
    // The processor runs at 96 kHz: the cutoff for A4 is worked out for that rate.
    HostMessage activated;
    activated.setMessageID("activated");
    activated.getAttributes()->setFloat("SampleRate", 96000.0);
    ASSERT_EQ(controller->notify(&activated), kResultOk);

    struct Typed
    {
        ParamID id;
        const char* text;
        const char* shows; // the gesture text of the value it sets; null: refused
    };
    const Typed typed[] = {
        {kVcfAtt, "200 ms", "200 ms"},  {kVcfRel, "1.5 s", "1.50 s"}, {kOscTune, "7 st", "+7 st"},
        {kVcfFreq, "440 Hz", "440 Hz"}, {kNoise, "25 %", "25 %"},     {kOctave, "1 oct", "+12 st"},
        {kVcfAtt, "7 Hz", nullptr},     {kOscTune, "30 st", nullptr},
    };
    for (const Typed& t : typed)
    {
        const double before = controller->getParamNormalized(t.id);
        double value = -1.0;
        const bool read = controller->parseGestureText(t.id, t.text, value);
        ASSERT_TRUE(read) << t.text;
        if (!t.shows)
        {
            EXPECT_FALSE(value >= 0.0 && value <= 1.0) << t.text; // refused by the read-out
            EXPECT_EQ(controller->getParamNormalized(t.id), before);
            continue;
        }
        std::string shown;
        ASSERT_TRUE(controller->getGestureText(t.id, value, shown));
        EXPECT_EQ(shown, t.shows) << t.text;
    }
    // Plain numbers and mode names stay the parameters' own texts.
    double value = 0.0;
    EXPECT_FALSE(controller->parseGestureText(kVcfAtt, "0.25", value));
    EXPECT_FALSE(controller->parseGestureText(kGlide, "Mono", value));
    std::string text;
    EXPECT_FALSE(controller->getGestureText(kModWheelId, 0.5, text));
}

} // namespace
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
