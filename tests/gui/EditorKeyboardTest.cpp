// SPDX-License-Identifier: GPL-3.0-or-later
// The editor from the keyboard: Tab order, arrow keys and Enter on the focused control, the focus
// ring, when the editor takes the keys and when it leaves them to the host.
#include "GuiTestSupport.h"

#include "views/CAnimKnob.h"
#include "views/COptionMenu.h"
#include "views/CTextEdit.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace GuiTest;
using namespace VSTGUI;

namespace {

struct OffscreenRig : EditorRig
{
    explicit OffscreenRig(KnobMode mode = Steinberg::Vst::kLinearMode) : window(&frame())
    {
        controller->setKnobMode(mode);
        frame().setPlatformFrame(&window);
    }
    ~OffscreenRig()
    {
        frame().setPlatformFrame(nullptr);
        controller->setKnobMode(Steinberg::Vst::kCircularMode);
    }
    bool tab(int times = 1, unsigned char modifier = 0)
    {
        bool used = true;
        for (int i = 0; i < times; ++i)
            used &= key(0, VKEY_TAB, modifier);
        return used;
    }
    OffscreenPlatformFrame window;
};

} // namespace

TEST(Keyboard, TabMovesThroughTheControlsInReadingOrder)
{
    OffscreenRig rig;
    CView* knob = rig.find<CAnimKnob>(0);
    CView* fader = rig.find<CAnimKnob>(1);
    CView* topMenu = rig.find<COptionMenu>(0);
    CView* bottomMenu = rig.find<COptionMenu>(1);
    CView* untagged = rig.find<CAnimKnob>(2);
    // Rows: knob, fader and menu at the top (10..20, 10..50, 10..26), the untagged knob at 40,
    // the second menu at 130.
    EXPECT_EQ(rig.frame().getFocusChain(),
              (std::vector<CView*>{knob, fader, topMenu, untagged, bottomMenu}))
        << "the knob's read-out is reached through the knob, the about area not at all";
    EXPECT_EQ(rig.frame().getFocusView(), nullptr) << "no focus on opening";
    EXPECT_FALSE(rig.window.keyboardFocus);

    struct Step
    {
        unsigned char modifier;
        CView* expected;
    };
    const Step steps[] = {{0, knob},
                          {0, fader},
                          {0, topMenu},
                          {0, untagged},
                          {0, bottomMenu},
                          {0, knob},
                          {MODIFIER_SHIFT, bottomMenu},
                          {MODIFIER_SHIFT, untagged}};
    for (const Step& step : steps)
    {
        EXPECT_TRUE(rig.tab(1, step.modifier));
        EXPECT_EQ(rig.frame().getFocusView(), step.expected);
    }
    EXPECT_TRUE(rig.window.keyboardFocus) << "the editor holds the keys while it has a focus";
    EXPECT_EQ(rig.editor->onKeyDown(0, 2 /* tab */, 0), kResultTrue) << "the host's route";
    EXPECT_EQ(rig.frame().getFocusView(), bottomMenu);
    EXPECT_TRUE(rig.handler->edits.empty());
}

TEST(Keyboard, ArrowsStepTheFocusedControlAsTheWheelDoes)
{
    struct Case
    {
        const char* name;
        int tabs; // to the control: 1 knob (0.25), 2 fader (0.5), 3 menu (entry 0)
        unsigned char virt;
        unsigned char modifier;
        ParamID id;
        double expected;
        int gestures;
    };
    const Case cases[] = {
        {"knob up", 1, VKEY_UP, 0, kKnobId, 0.35, 1},
        {"knob right", 1, VKEY_RIGHT, 0, kKnobId, 0.35, 1},
        {"knob down", 1, VKEY_DOWN, 0, kKnobId, 0.15, 1},
        {"knob left", 1, VKEY_LEFT, 0, kKnobId, 0.15, 1},
        {"knob shift up: fine", 1, VKEY_UP, MODIFIER_SHIFT, kKnobId, 0.26, 1},
        {"fader up", 2, VKEY_UP, 0, kFaderId, 0.6, 1},
        {"menu down: next entry", 3, VKEY_DOWN, 0, kModeId, 1.0 / 3.0, 1},
        {"menu up at the first entry", 3, VKEY_UP, 0, kModeId, 0.0, 0},
    };
    for (const Case& c : cases)
    {
        OffscreenRig rig;
        rig.tab(c.tabs);
        EXPECT_TRUE(rig.key(0, c.virt, c.modifier)) << c.name;
        EXPECT_NEAR(rig.controller->getParamNormalized(c.id), c.expected, 1e-6) << c.name;
        EXPECT_EQ(rig.handler->count('b'), c.gestures) << c.name;
        EXPECT_TRUE(rig.handler->wellBracketed()) << c.name;
        EXPECT_NE(rig.frame().getFocusView(), nullptr) << c.name << ": keys keep the focus";
    }
}

TEST(Keyboard, EnterOpensTheTextEntryOfTheFocusedControl)
{
    OffscreenRig rig;
    auto* knob = rig.find<CAnimKnob>(0);
    auto* field = rig.find<CTextEdit>();
    rig.tab();
    EXPECT_TRUE(rig.key(0, VKEY_RETURN));
    ASSERT_TRUE(field->isTyping());
    for (char c : std::string("0.5"))
        rig.key(c);
    EXPECT_TRUE(rig.key(0, VKEY_ENTER));
    EXPECT_FALSE(field->isTyping());
    EXPECT_NEAR(rig.controller->getParamNormalized(kKnobId), 0.5, 1e-6);
    EXPECT_EQ(rig.frame().getFocusView(), knob) << "the keys go back to the knob";
    EXPECT_TRUE(rig.key(0, VKEY_UP));
    EXPECT_NEAR(rig.controller->getParamNormalized(kKnobId), 0.6, 1e-6);

    // The menu opens its list with Enter; Escape closes it, a second one hands the keys back.
    rig.tab(2);
    auto* menu = rig.find<COptionMenu>();
    EXPECT_TRUE(rig.key(0, VKEY_RETURN));
    EXPECT_TRUE(menu->isPopupOpen());
    EXPECT_TRUE(rig.key(0, VKEY_ESCAPE));
    EXPECT_FALSE(menu->isPopupOpen());
    EXPECT_EQ(rig.frame().getFocusView(), menu);
    EXPECT_TRUE(rig.key(0, VKEY_ESCAPE));
    EXPECT_EQ(rig.frame().getFocusView(), nullptr);
    EXPECT_FALSE(rig.window.keyboardFocus);
    EXPECT_TRUE(rig.handler->wellBracketed());
}

TEST(Keyboard, KeysTheEditorDoesNotNeedGoToTheHost)
{
    // Host codes of IPlugView::onKeyDown: 2 tab, 4 return, 6 escape, 7 space, 12 up, 15 page up.
    struct Case
    {
        const char* name;
        bool focused;
        char16 character;
        int16 virt;
        int16 modifiers; // 1 shift, 4 command, 8 control
        tresult expected;
    };
    const Case cases[] = {
        {"up without focus", false, 0, 12, 0, kResultFalse},
        {"return without focus", false, 0, 4, 0, kResultFalse},
        {"escape without focus", false, 0, 6, 0, kResultFalse},
        {"space without focus", false, ' ', 7, 0, kResultFalse},
        {"a letter without focus", false, 'a', 0, 0, kResultFalse},
        {"space on a knob", true, ' ', 7, 0, kResultFalse},
        {"a letter on a knob", true, 'p', 0, 0, kResultFalse},
        {"page up on a knob", true, 0, 15, 0, kResultFalse},
        {"control-up on a knob", true, 0, 12, 8, kResultFalse},
        {"control-tab", true, 0, 2, 8, kResultFalse},
        {"up on a knob", true, 0, 12, 0, kResultTrue},
        {"tab without focus", false, 0, 2, 0, kResultTrue},
    };
    for (const Case& c : cases)
    {
        OffscreenRig rig;
        if (c.focused) rig.tab();
        EXPECT_EQ(rig.editor->onKeyDown(c.character, c.virt, c.modifiers), c.expected) << c.name;
    }
}

TEST(Keyboard, AClickThatEditsNothingFocusesAndMouseEditsHandTheKeysBack)
{
    struct Case
    {
        const char* name;
        KnobMode mode;
        bool focusFirst; // Tab to the knob before the gesture
        void (*gesture)(OffscreenRig&);
        bool focused; // the knob has the focus afterwards
    };
    const Case cases[] = {
        {"click on a knob", Steinberg::Vst::kLinearMode, false,
         [](OffscreenRig& r) { r.click(15, 15); }, true},
        {"drag of a knob", Steinberg::Vst::kLinearMode, false,
         [](OffscreenRig& r) { r.drag(15, 15, 15, 5); }, false},
        {"click that turns a circular knob", Steinberg::Vst::kCircularMode, false,
         [](OffscreenRig& r) { r.click(19, 15); }, false},
        {"control-click reset", Steinberg::Vst::kLinearMode, false,
         [](OffscreenRig& r) { r.click(15, 15, kLButton | kControl); }, false},
        {"click on the background", Steinberg::Vst::kLinearMode, true,
         [](OffscreenRig& r) { r.click(100, 100); }, false},
        {"drag of the focused knob", Steinberg::Vst::kLinearMode, true,
         [](OffscreenRig& r) { r.drag(15, 15, 15, 5); }, false},
        {"wheel on the focused knob", Steinberg::Vst::kLinearMode, true,
         [](OffscreenRig& r) { r.frame().onWheel(CPoint(15, 15), 1, 0); }, false},
        {"the host takes the keyboard", Steinberg::Vst::kLinearMode, true,
         [](OffscreenRig& r) {
             r.window.keyboardFocus = false;
             r.frame().platformOnFocusLost();
         },
         false},
    };
    for (const Case& c : cases)
    {
        OffscreenRig rig(c.mode);
        auto* knob = rig.find<CAnimKnob>();
        if (c.focusFirst) rig.tab();
        c.gesture(rig);
        EXPECT_EQ(rig.frame().getFocusView() == knob, c.focused) << c.name;
        EXPECT_EQ(rig.window.keyboardFocus, c.focused) << c.name;
        EXPECT_TRUE(rig.handler->wellBracketed()) << c.name;
    }
    OffscreenRig rig;
    rig.click(150, 18);
    EXPECT_EQ(rig.frame().getFocusView(), nullptr) << "a click that opens a menu";
    EXPECT_TRUE(rig.window.keyboardFocus) << "the open list has the keys";
    rig.key(0, VKEY_ESCAPE);
    EXPECT_FALSE(rig.window.keyboardFocus) << "and hands them back when it closes";
}

TEST(Keyboard, TheFocusedControlAloneIsRinged)
{
    OffscreenRig rig;
    const OffscreenImage plain = renderToImage(rig.frame());
    rig.tab(); // the knob, 10..20 x 10..20
    const CRect ring = rig.frame().getFocusRingRect(rig.find<CAnimKnob>());
    EXPECT_EQ(ring, CRect(6, 6, 24, 24));
    const OffscreenImage ringed = renderToImage(rig.frame());
    int inside = 0, outside = 0;
    for (int y = 0; y < plain.height; ++y)
        for (int x = 0; x < plain.width; ++x)
            if (plain.getPixel(x, y) != ringed.getPixel(x, y))
                (ring.pointInside(CPoint(x + 0.5, y + 0.5)) ? inside : outside)++;
    EXPECT_GT(inside, 40) << "a ring of about 4 x 16 pixels";
    EXPECT_EQ(outside, 0);
    const uint32_t onRing = ringed.getPixel(6, 15);
    EXPECT_GT(onRing & 0xFF, 200u) << "light blue";

    // A field being typed into shows its own box instead.
    rig.key(0, VKEY_RETURN);
    const OffscreenImage typing = renderToImage(rig.frame());
    EXPECT_EQ(typing.getPixel(6, 15), plain.getPixel(6, 15));
    rig.frame().setFocusDrawingEnabled(false);
    rig.key(0, VKEY_ESCAPE);
    EXPECT_EQ(rig.frame().getFocusView(), rig.find<CAnimKnob>());
    EXPECT_EQ(renderToImage(rig.frame()).getPixel(6, 15), plain.getPixel(6, 15))
        << "no ring where the editor turns it off";
}
