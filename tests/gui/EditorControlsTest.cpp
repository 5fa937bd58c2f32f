// SPDX-License-Identifier: GPL-3.0-or-later
// The controls as a user operates them, and what reaches the controller: every gesture is one
// beginEdit, one or more performEdit and one endEdit.
#include "GuiTestSupport.h"
#include "ShownText.h"

#include "base/CDrawContext.h"
#include "editor/ParameterBinding.h"
#include "views/CAnimKnob.h"
#include "views/CAnimationSplashScreen.h"
#include "views/COptionMenu.h"
#include "views/CTextEdit.h"

#include <gtest/gtest.h>

using namespace GuiTest;
using namespace VSTGUI;
using Steinberg::Vst::Tarvik::TestSupport::shownValue;

namespace {

/** The host's knob mode is process-wide; each test leaves it as it found it. */
class KnobModeScope
{
public:
    explicit KnobModeScope(TestController& controller, KnobMode mode) : controller(controller)
    {
        controller.setKnobMode(mode);
    }
    ~KnobModeScope() { controller.setKnobMode(Steinberg::Vst::kCircularMode); }

private:
    TestController& controller;
};

struct OffscreenRig : EditorRig
{
    OffscreenRig() : window(&frame()) { frame().setPlatformFrame(&window); }
    ~OffscreenRig() { frame().setPlatformFrame(nullptr); }
    OffscreenPlatformFrame window;
};

void type(EditorRig& rig, const std::string& text)
{
    for (char c : text)
        EXPECT_TRUE(rig.key(c));
}

} // namespace

TEST(KnobControl, DragFollowsTheHostsKnobMode)
{
    // The knob sits at 10..20, centre 15, 15; the fader at 110..116 x 10..50.
    struct Case
    {
        const char* name;
        KnobMode mode;
        ParamID id;
        CPoint from, to;
        int32_t modifiers;
        double expected;
    };
    const Case cases[] = {
        {"circular jumps to the angle",
         Steinberg::Vst::kCircularMode,
         kKnobId,
         {15, 11},
         {25, 15},
         0,
         0.8333},
        {"circular, gap left of bottom",
         Steinberg::Vst::kCircularMode,
         kKnobId,
         {15, 11},
         {14, 25},
         0,
         0.0},
        {"circular, gap right of bottom",
         Steinberg::Vst::kCircularMode,
         kKnobId,
         {15, 11},
         {16, 25},
         0,
         1.0},
        {"relative circular adds the turn",
         Steinberg::Vst::kRelativCircularMode,
         kKnobId,
         {15, 11},
         {25, 15},
         0,
         0.5833},
        {"linear: 50 px up is a quarter",
         Steinberg::Vst::kLinearMode,
         kKnobId,
         {15, 15},
         {15, -35},
         0,
         0.5},
        {"linear: right counts too",
         Steinberg::Vst::kLinearMode,
         kKnobId,
         {15, 15},
         {35, 15},
         0,
         0.35},
        {"linear with Shift is fine",
         Steinberg::Vst::kLinearMode,
         kKnobId,
         {15, 15},
         {15, -35},
         kShift,
         0.275},
        {"fader in circular mode",
         Steinberg::Vst::kCircularMode,
         kFaderId,
         {113, 40},
         {113, 30},
         0,
         0.75},
        {"fader in relative mode",
         Steinberg::Vst::kRelativCircularMode,
         kFaderId,
         {113, 40},
         {113, 30},
         0,
         0.75},
        {"fader in linear mode",
         Steinberg::Vst::kLinearMode,
         kFaderId,
         {113, 40},
         {113, 50},
         0,
         0.25},
        {"fader ignores sideways",
         Steinberg::Vst::kCircularMode,
         kFaderId,
         {113, 40},
         {150, 40},
         0,
         0.5},
        {"fader with Shift",
         Steinberg::Vst::kLinearMode,
         kFaderId,
         {113, 40},
         {113, 0},
         kShift,
         0.6},
    };
    for (const Case& c : cases)
    {
        EditorRig rig;
        KnobModeScope mode(*rig.controller, c.mode);
        rig.drag(c.from.x, c.from.y, c.to.x, c.to.y, kLButton | c.modifiers);
        EXPECT_NEAR(rig.controller->getParamNormalized(c.id), c.expected, 1e-3) << c.name;
        EXPECT_TRUE(rig.handler->wellBracketed()) << c.name;
        EXPECT_LE(rig.handler->count('b'), 1) << c.name;
        if (c.expected !=
            rig.controller->getParameterObject(c.id)->getInfo().defaultNormalizedValue)
        {
            EXPECT_EQ(rig.handler->count('b'), 1) << c.name;
        }
    }
}

TEST(KnobControl, WheelStepsAndResetsAreSingleGestures)
{
    struct Case
    {
        const char* name;
        void (*act)(EditorRig&);
        double expected;
    };
    const Case cases[] = {
        {"wheel up", [](EditorRig& r) { r.frame().onWheel(CPoint(15, 15), 1, 0); }, 0.35},
        {"wheel down twice",
         [](EditorRig& r) {
             r.frame().onWheel(CPoint(15, 15), -1, 0);
             r.frame().onWheel(CPoint(15, 15), -1, 0);
         },
         0.05},
        {"wheel with Shift", [](EditorRig& r) { r.frame().onWheel(CPoint(15, 15), 1, kShift); },
         0.26},
        {"double-click resets to the parameter's default",
         [](EditorRig& r) {
             r.controller->setParamNormalized(kKnobId, 0.9);
             r.click(15, 15, kLButton | kDoubleClick);
         },
         0.25},
        {"Ctrl-click resets",
         [](EditorRig& r) {
             r.controller->setParamNormalized(kKnobId, 0.9);
             r.click(15, 15, kLButton | kControl);
         },
         0.25},
    };
    for (const Case& c : cases)
    {
        EditorRig rig;
        c.act(rig);
        EXPECT_NEAR(rig.controller->getParamNormalized(kKnobId), c.expected, 1e-4) << c.name;
        EXPECT_TRUE(rig.handler->wellBracketed()) << c.name;
        EXPECT_GE(rig.handler->count('b'), 1) << c.name;
        EXPECT_NEAR(rig.handler->edits.back().kind == 'e'
                        ? rig.handler->edits[rig.handler->edits.size() - 2].value
                        : -1,
                    c.expected, 1e-4)
            << c.name;
    }
    // At the end of the range the wheel changes nothing and sends nothing.
    EditorRig rig;
    rig.controller->setParamNormalized(kKnobId, 1.0);
    rig.frame().onWheel(CPoint(15, 15), 1, 0);
    EXPECT_TRUE(rig.handler->edits.empty());
}

TEST(KnobControl, ControlsWithoutParameterSendNothing)
{
    EditorRig rig;
    rig.drag(65, 40, 65, 0);
    rig.frame().onWheel(CPoint(65, 45), 1, 0);
    EXPECT_TRUE(rig.handler->edits.empty());
}

TEST(Binding, SubControllersHearTheirControlsAndDieWithTheEditor)
{
    int deleted = 0;
    {
        EditorRig rig("Nested");
        auto* knob = rig.find<CAnimKnob>();
        ASSERT_NE(knob, nullptr);
        EXPECT_NE(knob->getListener(), rig.editor) << "the sub-controller listens";
        EXPECT_FLOAT_EQ(knob->getValue(), 0.25f) << "and the parameter still shows";
        rig.frame().onWheel(CPoint(5, 5), 1, 0);
        EXPECT_EQ(rig.controller->subValueChanges, 1);
        EXPECT_TRUE(rig.handler->edits.empty()) << "edits go to the sub-controller only";

        std::vector<CView*> views;
        collect(&rig.frame(), views);
        ASSERT_EQ(views.size(), 6u) << "the unknown sub-controller leaves its view alone";
        EXPECT_EQ(views[4]->getViewSize(), CRect(20, 35, 25, 40)) << "custom view placed";
        deleted = rig.controller->subControllersDeleted;
        EXPECT_EQ(deleted, 0);
        rig.editor->release();
        deleted = rig.controller->subControllersDeleted;
        rig.editor =
            new VST3Editor(rig.controller, "Empty", "test.uidesc", rig.ownResources->table());
    }
    EXPECT_EQ(deleted, 1);
}

TEST(Binding, HostSideChangesRedrawTheBoundControls)
{
    OffscreenRig rig;
    rig.frame().clearDirtyRect();
    rig.window.invalid = CRect();
    rig.controller->setParamNormalized(kKnobId, 0.8);
    EXPECT_FLOAT_EQ(rig.find<CAnimKnob>()->getValue(), 0.8f);
    EXPECT_EQ(rig.find<CTextEdit>()->getDisplayText(), shownValue(*rig.controller, kKnobId));
    CRect dirty = rig.window.invalid;
    EXPECT_TRUE(CRect(dirty).unite(CRect(10, 10, 20, 20)) == dirty) << "knob redrawn";
    EXPECT_TRUE(CRect(dirty).unite(CRect(30, 10, 80, 30)) == dirty) << "its text field redrawn";
    EXPECT_FALSE(dirty.rectOverlap(CRect(110, 10, 116, 50))) << "the fader is left alone";
    EXPECT_TRUE(rig.handler->edits.empty()) << "host changes are not sent back";

    rig.controller->setParamNormalized(kModeId, 1.0);
    EXPECT_EQ(rig.find<COptionMenu>()->getCurrentIndex(), 3);
}

TEST(TextEdit, TypedTextIsAcceptedRefusedOrCancelled)
{
    struct Case
    {
        const char* name;
        const char* typed;
        unsigned char finish; // key that ends typing, 0 for a click elsewhere
        double expected;
        int gestures;
    };
    const Case cases[] = {
        {"accepted with Enter", "0.75", VKEY_RETURN, 0.75, 1},
        {"accepted with keypad Enter", "0.5", VKEY_ENTER, 0.5, 1},
        {"refused text", "abc", VKEY_RETURN, 0.25, 0},
        {"refused out of range", "2", VKEY_RETURN, 0.25, 0},
        {"cancelled with Escape", "0.75", VKEY_ESCAPE, 0.25, 0},
        {"cancelled by a click elsewhere", "0.75", 0, 0.25, 0},
    };
    for (const Case& c : cases)
    {
        OffscreenRig rig;
        auto* field = rig.find<CTextEdit>();
        EXPECT_FALSE(rig.key('1')) << "keys stay with the host until typing starts";
        rig.click(55, 20);
        ASSERT_TRUE(field->isTyping()) << c.name;
        EXPECT_TRUE(rig.window.keyboardFocus);
        EXPECT_TRUE(rig.window.isTimerRunning()) << "the caret blinks";
        EXPECT_EQ(field->getSelectionEnd() - field->getSelectionStart(),
                  field->getTypedText().size());
        type(rig, c.typed);
        EXPECT_EQ(field->getTypedText(), c.typed);
        if (c.finish)
            EXPECT_TRUE(rig.key(0, c.finish));
        else
            rig.click(190, 5);
        EXPECT_FALSE(field->isTyping()) << c.name;
        EXPECT_FALSE(rig.window.keyboardFocus) << c.name;
        EXPECT_FALSE(rig.window.isTimerRunning()) << c.name;
        EXPECT_NEAR(rig.controller->getParamNormalized(kKnobId), c.expected, 1e-6) << c.name;
        EXPECT_EQ(rig.handler->count('b'), c.gestures) << c.name;
        EXPECT_TRUE(rig.handler->wellBracketed()) << c.name;
        EXPECT_EQ(field->getDisplayText(), shownValue(*rig.controller, kKnobId)) << c.name;
    }
}

TEST(TextEdit, CaretAndSelectionEditing)
{
    EditorRig rig;
    auto* field = rig.find<CTextEdit>();
    rig.click(55, 20);
    type(rig, "0.45");
    rig.key(0, VKEY_LEFT);
    rig.key(0, VKEY_LEFT);
    rig.key(0, VKEY_BACK); // "045"
    rig.key('.', 0);       // "0.45"
    rig.key(0, VKEY_HOME);
    rig.key(0, VKEY_RIGHT, MODIFIER_SHIFT);
    EXPECT_EQ(field->getSelectionEnd() - field->getSelectionStart(), 1u);
    rig.key(0, VKEY_DELETE); // ".45"
    EXPECT_EQ(field->getTypedText(), ".45");
    EXPECT_FALSE(rig.key('s', 0, MODIFIER_CONTROL)) << "host shortcuts pass while typing";
    rig.key(0, VKEY_RETURN);
    EXPECT_NEAR(rig.controller->getParamNormalized(kKnobId), 0.45, 1e-6);
}

TEST(TextEdit, ArrowsCollapseASelectionToItsSideAndStepWithShift)
{
    struct Case
    {
        unsigned char arrow;
        unsigned char modifier;
        const char* typed; // after "0.45" is selected whole, the arrow pressed and "9" typed
    };
    const Case cases[] = {
        {VKEY_LEFT, 0, "90.45"},
        {VKEY_RIGHT, 0, "0.459"},
        {VKEY_LEFT, MODIFIER_SHIFT, "95"}, // the selection loses its last character
    };
    for (const Case& c : cases)
    {
        EditorRig rig;
        auto* field = rig.find<CTextEdit>();
        rig.click(55, 20);
        type(rig, "0.45");
        rig.key('a', 0, MODIFIER_CONTROL);
        rig.key(0, c.arrow, c.modifier);
        rig.key('9', 0);
        EXPECT_EQ(field->getTypedText(), c.typed) << int(c.arrow) << " " << int(c.modifier);
    }
}

TEST(OptionMenu, EntriesComeFromTheListParameter)
{
    EditorRig rig;
    for (int m = 0; m < 2; ++m)
    {
        auto* menu = rig.find<COptionMenu>(m);
        ASSERT_EQ(menu->getNbEntries(), 4);
        EXPECT_EQ(menu->getEntry(0), "Alpha");
        EXPECT_EQ(menu->getEntry(3), "Delta");
        EXPECT_FLOAT_EQ(menu->getMax(), 3.f);
        EXPECT_EQ(menu->getDisplayText(), "Alpha");
    }
}

TEST(OptionMenu, PopupOpensInsideTheEditor)
{
    EditorRig rig;
    auto* top = rig.find<COptionMenu>(0);
    rig.click(150, 18);
    ASSERT_TRUE(top->isPopupOpen());
    EXPECT_GE(top->getPopupRect().top, 26) << "below the control";
    EXPECT_EQ(top->getHighlightedIndex(), 0) << "the current entry";
    EXPECT_GT(top->getPopupRect().getWidth(), measureStringWidth(top->getFont(), "Gamma") + 18)
        << "wide enough for every entry";
    rig.click(199, 149); // outside: closes without a change
    EXPECT_FALSE(top->isPopupOpen());

    auto* bottom = rig.find<COptionMenu>(1);
    rig.click(150, 138);
    ASSERT_TRUE(bottom->isPopupOpen());
    EXPECT_LE(bottom->getPopupRect().bottom, 130) << "above the control near the bottom edge";
    EXPECT_GE(bottom->getPopupRect().top, 0);
    rig.key(0, VKEY_ESCAPE);
    EXPECT_FALSE(bottom->isPopupOpen());
    EXPECT_TRUE(rig.handler->edits.empty());
}

TEST(OptionMenu, KeyboardAndPointerChooseAnEntry)
{
    {
        EditorRig rig;
        rig.click(150, 18);
        EXPECT_TRUE(rig.key(0, VKEY_DOWN));
        EXPECT_TRUE(rig.key(0, VKEY_DOWN));
        EXPECT_TRUE(rig.key(0, VKEY_UP));
        EXPECT_TRUE(rig.key(0, VKEY_DOWN));
        EXPECT_TRUE(rig.key(0, VKEY_RETURN));
        EXPECT_FALSE(rig.find<COptionMenu>()->isPopupOpen());
        EXPECT_NEAR(rig.controller->getParamNormalized(kModeId), 2.0 / 3.0, 1e-9);
        EXPECT_EQ(rig.find<COptionMenu>()->getDisplayText(), "Gamma");
        EXPECT_EQ(rig.handler->count('b'), 1);
        EXPECT_TRUE(rig.handler->wellBracketed());
        EXPECT_FALSE(rig.key(0, VKEY_DOWN)) << "a closed menu leaves keys to the host";
    }
    {
        EditorRig rig;
        rig.click(150, 18);
        CRect popup = rig.find<COptionMenu>()->getPopupRect();
        double rowHeight = (popup.getHeight() - 4) / 4;
        CPoint second(popup.left + 10, popup.top + 2 + rowHeight * 1.5);
        rig.frame().onMouseMoved(second, 0);
        EXPECT_EQ(rig.find<COptionMenu>()->getHighlightedIndex(), 1);
        rig.click(second.x, second.y);
        EXPECT_NEAR(rig.controller->getParamNormalized(kModeId), 1.0 / 3.0, 1e-9);
        EXPECT_EQ(rig.handler->count('b'), 1);
        EXPECT_TRUE(rig.handler->wellBracketed());
    }
}

TEST(SplashScreen, ClickShowsFadesInAndHides)
{
    OffscreenRig rig;
    auto* splash = rig.find<CAnimationSplashScreen>();
    EXPECT_FALSE(rig.window.isTimerRunning()) << "an idle editor has no timer";
    rig.click(170, 70);
    ASSERT_TRUE(splash->isSplashOpen());
    EXPECT_FLOAT_EQ(splash->getSplashAlpha(), 0.f);
    EXPECT_TRUE(rig.window.isTimerRunning());
    rig.window.advance(48);
    EXPECT_NEAR(splash->getSplashAlpha(), 0.48f, 0.01f);
    rig.window.advance(100);
    EXPECT_FLOAT_EQ(splash->getSplashAlpha(), 1.f);
    EXPECT_FALSE(rig.window.isTimerRunning()) << "the timer stops with the animation";
    EXPECT_EQ(renderToImage(rig.frame()).getPixel(40, 85) & 0xFFFFFF, 0x0000FFu);

    rig.click(100, 100); // elsewhere on the artwork: the panel stays
    EXPECT_TRUE(splash->isSplashOpen());
    rig.click(40, 85);
    EXPECT_FALSE(splash->isSplashOpen());
    EXPECT_EQ(renderToImage(rig.frame()).getPixel(40, 85) & 0xFFFFFF, 0x203040u);
    EXPECT_TRUE(rig.handler->edits.empty());
}

TEST(VST3EditorView, SizeInZoomStepsThatFollowsTheContentScale)
{
    EditorRig rig;
    EXPECT_EQ(rig.editor->canResize(), kResultFalse) << "zoom steps only, never a free size";
    ViewRect asked(0, 0, 500, 20);
    EXPECT_EQ(rig.editor->checkSizeConstraint(&asked), kResultOk);
    EXPECT_EQ(asked.getWidth(), 200);
    EXPECT_EQ(asked.getHeight(), 150);

    IPlugViewContentScaleSupport* scaling = nullptr;
    ASSERT_EQ(rig.editor->queryInterface(IPlugViewContentScaleSupport::iid,
                                         reinterpret_cast<void**>(&scaling)),
              kResultOk);
    EXPECT_EQ(scaling->setContentScaleFactor(2.f), kResultOk);
    scaling->release();
    ViewRect size;
    rig.editor->getSize(&size);
    EXPECT_EQ(size.getWidth(), 400);
    EXPECT_EQ(size.getHeight(), 300);
    EXPECT_EQ(rig.editor->isPlatformTypeSupported(kNativeWindowType), kResultTrue);
    EXPECT_EQ(rig.editor->isPlatformTypeSupported(kForeignWindowType), kResultFalse);
    // X11: no frame, so no run loop; Windows: no such window.
    EXPECT_EQ(rig.editor->attached(reinterpret_cast<void*>(1), kNativeWindowType), kResultFalse);
}

TEST(VST3EditorView, HostKeysReachOnlyATextFieldBeingTyped)
{
    EditorRig rig;
    EXPECT_EQ(rig.editor->onKeyDown('5', 0, 0), kResultFalse);
    rig.click(55, 20);
    EXPECT_EQ(rig.editor->onKeyDown('0', 0, 0), kResultTrue);
    EXPECT_EQ(rig.editor->onKeyDown('.', 0, 0), kResultTrue);
    EXPECT_EQ(rig.editor->onKeyDown('5', 0, 0), kResultTrue);
    EXPECT_EQ(rig.editor->onKeyDown(0, 4 /* return */, 0), kResultTrue);
    EXPECT_NEAR(rig.controller->getParamNormalized(kKnobId), 0.5, 1e-6);
    EXPECT_EQ(rig.editor->onKeyDown(0, 6 /* escape */, 0), kResultFalse);
}
