// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's presets on the panel: the name plate that names the loaded preset (and the panel
// exactly as drawn while none is), and the mark once a control has changed.
#include "BraskControllerWithUI.h"
#include "BraskParameterIds.h"
#include "PresetBrowser.h"
#include "PresetNameView.h"
#include "TestHosts.h"

#include "editor/VST3Editor.h"
#include "platform/offscreen/OffscreenRender.h"
#include "views/CViewContainer.h"

#include "pluginterfaces/gui/iplugview.h"

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

class EditorPresetsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(controller->initialize(host.context()), kResultOk); }
    void TearDown() override { controller->terminate(); }

    VST3Editor* openEditor(IPtr<IPlugView>& view)
    {
        view = owned(controller->createView(ViewType::kEditor));
        return dynamic_cast<VST3Editor*>(view.get());
    }
    void load(const char* name, const char* category)
    {
        PresetBrowser& browser = controller->presetBrowser();
        browser.refresh();
        ASSERT_TRUE(browser.load(browser.library().find(name, category))) << name;
    }

    EditorTest::TestHost host{false};
    IPtr<BraskControllerWithUI> controller =
        owned(new BraskControllerWithUI(std::filesystem::path{}));
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

} // namespace
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
