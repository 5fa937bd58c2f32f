// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the delegate's own while a control is hovered or dragged, and typed text read by the
// delegate before the parameter.
#include "GuiTestSupport.h"

#include "views/CTextEdit.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace GuiTest;
using namespace VSTGUI;

namespace {

/** "G" and the value for the knob's parameter; nothing for the others. */
struct GestureRig : EditorRig
{
    GestureRig()
    {
        controller->setKnobMode(Steinberg::Vst::kLinearMode);
        controller->gestureText = [this](ParamID id, double normalized, std::string& text) {
            asked.push_back(normalized);
            if (id != kKnobId) return false;
            char buffer[32];
            std::snprintf(buffer, sizeof(buffer), "G %.3f", normalized);
            text = buffer;
            return true;
        };
    }
    ~GestureRig() { controller->setKnobMode(Steinberg::Vst::kCircularMode); }
    std::string shown() const { return find<CTextEdit>()->getDisplayText(); }
    void move(double x, double y, int32_t buttons = 0)
    {
        CPoint where(x, y);
        frame().onMouseMoved(where, buttons);
    }
    std::vector<double> asked;
};

} // namespace

TEST(GestureText, ReadOutsShowItWhileTheirControlIsHoveredOrDragged)
{
    GestureRig rig;
    struct Step
    {
        const char* what;
        void (*act)(GestureRig&);
        const char* shown;
    };
    const Step steps[] = {
        {"opened", [](GestureRig&) {}, "0.2500"},
        {"over the knob", [](GestureRig& r) { r.move(15, 15); }, "G 0.250"},
        {"over the background", [](GestureRig& r) { r.move(100, 100); }, "0.2500"},
        {"over the read-out", [](GestureRig& r) { r.move(55, 20); }, "G 0.250"},
        {"over another parameter's fader", [](GestureRig& r) { r.move(113, 30); }, "0.2500"},
        {"pressed on the knob",
         [](GestureRig& r) {
             r.move(15, 15);
             CPoint at(15, 15);
             r.frame().onMouseDown(at, kLButton);
         },
         "G 0.250"},
        {"dragged 25 px up", [](GestureRig& r) { r.move(15, -10, kLButton); }, "G 0.375"},
        // (Right counts as up: the same value, off the knob.)
        {"dragged on over the background", [](GestureRig& r) { r.move(115, 90, kLButton); },
         "G 0.375"},
        {"released there",
         [](GestureRig& r) {
             CPoint at(115, 90);
             r.frame().onMouseUp(at, 0);
         },
         "0.3750"},
        {"over the knob again", [](GestureRig& r) { r.move(15, 15); }, "G 0.375"},
        {"the pointer leaves the window", [](GestureRig& r) { r.frame().platformOnMouseExited(); },
         "0.3750"},
    };
    for (const Step& step : steps)
    {
        step.act(rig);
        EXPECT_EQ(rig.shown(), step.shown) << step.what;
    }
    EXPECT_EQ(rig.handler->count('b'), 1);
    EXPECT_TRUE(rig.handler->wellBracketed());

    // The hook sees the parameter's own value, not the float a control keeps.
    rig.controller->setParamNormalized(kKnobId, 0.123456789);
    rig.asked.clear();
    rig.move(15, 15);
    ASSERT_FALSE(rig.asked.empty());
    EXPECT_EQ(rig.asked.back(), 0.123456789);
}

TEST(GestureText, TypedTextGoesToTheDelegateFirst)
{
    struct Case
    {
        const char* typed;
        double expected; // the knob's value afterwards (0.25 before)
    };
    const Case cases[] = {
        {"7 st", 0.7},   // the delegate's unit
        {"12 st", 0.25}, // the delegate's, out of range: refused
        {"0.3", 0.3},    // the parameter's own text
        {"abc", 0.25},   // nobody's
    };
    for (const Case& c : cases)
    {
        EditorRig rig;
        rig.controller->parseText = [](ParamID, const std::string& text, double& normalized) {
            int semitones = 0;
            char unit[4] = {};
            if (std::sscanf(text.c_str(), "%d %3s", &semitones, unit) != 2 ||
                std::string(unit) != "st")
                return false;
            normalized = semitones / 10.0;
            return true;
        };
        rig.click(55, 20);
        for (char ch : std::string(c.typed))
            rig.key(ch);
        rig.key(0, VKEY_RETURN);
        EXPECT_NEAR(rig.controller->getParamNormalized(kKnobId), c.expected, 1e-6) << c.typed;
        EXPECT_TRUE(rig.handler->wellBracketed()) << c.typed;
    }
}
