// SPDX-License-Identifier: GPL-3.0-or-later
// The editor description as written: its sections in order, the tag and bitmap tables, the 25
// views of the template "Editor" with every attribute that decides how a control looks and acts,
// and the spare template.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <map>
#include <string>
#include <vector>

namespace {

using Attributes = std::map<std::string, std::string>;

class DescriptionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(document.load_file(BRASK_DESCRIPTION_FILE)) << BRASK_DESCRIPTION_FILE;
        root = document.child("vstgui-ui-description");
        ASSERT_TRUE(root);
        editor = root.find_child_by_attribute("template", "name", "Editor");
        ASSERT_TRUE(editor);
    }

    pugi::xml_document document;
    pugi::xml_node root;
    pugi::xml_node editor;
};

// Every listed attribute has the expected value; extra attributes are looked at elsewhere.
void expectAttributes(const pugi::xml_node& node, const Attributes& expected,
                      const std::string& where)
{
    for (const auto& [name, value] : expected)
    {
        const pugi::xml_attribute attribute = node.attribute(name.c_str());
        EXPECT_TRUE(attribute) << where << " lacks " << name;
        EXPECT_EQ(std::string(attribute.value()), value) << where << " " << name;
    }
}

std::vector<pugi::xml_node> elements(const pugi::xml_node& parent)
{
    std::vector<pugi::xml_node> children;
    for (const pugi::xml_node& child : parent.children())
        if (child.type() == pugi::node_element) children.push_back(child);
    return children;
}

const Attributes kGroup = {{"class", "CViewContainer"},
                           {"background-color", "~ BlackCColor"},
                           {"background-color-draw-style", "filled and stroked"},
                           {"transparent", "true"},
                           {"mouse-enabled", "true"}};

const Attributes kKnob = {{"class", "CAnimKnob"},
                          {"min-value", "0"},
                          {"max-value", "1"},
                          {"angle-start", "135"},
                          {"angle-range", "270"},
                          {"wheel-inc-value", "0.1"},
                          {"zoom-factor", "1.5"},
                          {"background-offset", "0, 0"},
                          {"transparent", "false"},
                          {"mouse-enabled", "true"},
                          {"value-inset", "0"},
                          {"circle-drawing", "false"},
                          {"corona-drawing", "false"},
                          {"corona-inset", "0"},
                          {"corona-color", "~ WhiteCColor"},
                          {"handle-color", "~ WhiteCColor"},
                          {"handle-shadow-color", "~ GreyCColor"},
                          {"handle-line-width", "1"},
                          {"corona-dash-dot", "false"},
                          {"corona-from-center", "false"},
                          {"corona-inverted", "false"},
                          {"corona-outline", "false"}};

// What text fields and the menu share.
const Attributes kTextStyle = {{"font", "~ SystemFont"},
                               {"font-antialias", "true"},
                               {"font-color", "~ GreenCColor"},
                               {"frame-color", "~ BlackCColor"},
                               {"frame-width", "1"},
                               {"shadow-color", "~ RedCColor"},
                               {"round-rect-radius", "6"},
                               {"style-3D-in", "false"},
                               {"style-3D-out", "false"},
                               {"style-no-draw", "false"},
                               {"style-no-frame", "false"},
                               {"style-no-text", "false"},
                               {"style-round-rect", "false"},
                               {"style-shadow-text", "false"},
                               {"text-alignment", "center"},
                               {"text-inset", "0, 0"},
                               {"transparent", "true"},
                               {"mouse-enabled", "true"},
                               {"value-precision", "2"},
                               {"wheel-inc-value", "0.1"}};

const Attributes kTextEdit = {{"class", "CTextEdit"},
                              {"size", "50, 20"},
                              {"back-color", "~ BlackCColor"},
                              {"immediate-text-change", "false"},
                              {"min-value", "0"},
                              {"max-value", "1"}};

const Attributes kMenu = {{"class", "COptionMenu"},
                          {"origin", "0, -2"},
                          {"size", "95, 30"},
                          {"control-tag", "Root::Glide"},
                          {"min-value", "0"},
                          {"max-value", "5"},
                          {"default-value", "0"},
                          {"back-color", "~ BlueCColor"},
                          {"menu-popup-style", "false"},
                          {"menu-check-style", "false"}};

const Attributes kSplash = {{"class", "CAnimationSplashScreen"},
                            {"origin", "451, 21"},
                            {"size", "360, 46"},
                            {"splash-bitmap", "Brask_about"},
                            {"splash-origin", "230, 85"},
                            {"splash-size", "380, 330"},
                            {"animation-index", "0"},
                            {"animation-time", "500"},
                            {"transparent", "false"},
                            {"mouse-enabled", "true"},
                            {"min-value", "0"},
                            {"max-value", "1"},
                            {"default-value", "0.5"},
                            {"wheel-inc-value", "0.1"}};

enum class Kind
{
    knob,
    fader,
    menu,
    splash
};

struct Child
{
    Kind kind;
    const char* origin;
    const char* size;
    const char* tag;
    const char* controlOrigin;
    const char* bitmap;
    const char* frames;
    const char* defaultValue;
};

// clang-format off
const Child kChildren[] = {
    {Kind::knob, "303, 160", "110, 120", "Root::LFORate", "25, 25", "Brask_knob", "101", "0.5"},
    {Kind::knob, "196, 304", "110, 120", "Root::GldBend", "25, 25", "Brask_knob", "101", "0.5"},
    {Kind::knob, "106, 304", "110, 120", "Root::GldRate", "25, 25", "Brask_knob", "101", "0.5"},
    {Kind::knob, "204, 13", "110, 120", "Root::Noise", "24, 25", "Brask_knob", "101", "0.5"},
    {Kind::knob, "196, 160", "110, 120", "Root::OSCFine", "25, 25", "Brask_knob", "101", "0.5"},
    {Kind::knob, "12, 160", "110, 110", "Root::OSCMix", "25, 25", "Brask_knob", "101", "0.15"},
    {Kind::knob, "70, 13", "110, 120", "Root::Tuning", "25, 25", "Brask_knob", "101", "0.6"},
    {Kind::knob, "106, 160", "110, 120", "Root::OSCTune", "25, 25", "Brask_knob", "101", "0.5"},
    {Kind::knob, "137, 13", "110, 120", "Root::Vibrato", "24, 25", "Brask_knob", "101", "0.5"},
    {Kind::fader, "417, 63", "60, 200", "Root::VCFFreq", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::fader, "558, 250", "60, 200", "Root::ENVAtt", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::fader, "606, 250", "60, 200", "Root::ENVDec", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::fader, "700, 250", "60, 200", "Root::ENVRel", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::fader, "655, 250", "60, 200", "Root::ENVSus", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::fader, "558, 63", "60, 200", "Root::VCFAtt", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::fader, "606, 63", "60, 200", "Root::VCFDec", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::fader, "510, 63", "60, 200", "Root::VCFEnv", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::fader, "423, 250", "60, 200", "Root::VCFLFO", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::fader, "700, 63", "60, 200", "Root::VCFRel", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::fader, "464, 63", "60, 200", "Root::VCFReso", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::fader, "655, 63", "60, 200", "Root::VCFSus", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::fader, "486, 250", "60, 200", "Root::VCFVel", "15, 20", "Brask_slider_11", "101", "0.5"},
    {Kind::menu, "19, 390", "95, 30", "Root::Glide", "0, -2", nullptr, nullptr, "0"},
    {Kind::splash, "451, 21", "360, 46", nullptr, nullptr, nullptr, nullptr, "0.5"},
    {Kind::knob, "2, 13", "110, 120", "Root::Octave", "25, 25", "Brask_knob5", "5", "0.5"},
};
// clang-format on

TEST_F(DescriptionTest, DocumentHasItsSectionsInOrder)
{
    EXPECT_STREQ(root.attribute("version").value(), "1");
    std::vector<std::string> order;
    for (const pugi::xml_node& child : elements(root))
        order.push_back(std::string(child.name()) + " " + child.attribute("name").value());
    const std::vector<std::string> expected = {
        "fonts ",        "colors ",  "template Editor",        "custom ",
        "control-tags ", "bitmaps ", "template CViewContainer"};
    EXPECT_EQ(order, expected);
    EXPECT_TRUE(elements(root.child("fonts")).empty());
    EXPECT_TRUE(elements(root.child("colors")).empty());
}

TEST_F(DescriptionTest, ControlTagsNameEveryParameterInOrder)
{
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Root::Aftertouch", "1634104436"}, {"Root::Bypass", "1651532147"},
        {"Root::ENVAtt", "15"}, {"Root::ENVDec", "16"}, {"Root::ENVRel", "18"},
        {"Root::ENVSus", "17"}, {"Root::FactoryPresets", "1886548852"},
        {"Root::FilterMod+", "1651668072"}, {"Root::FilterMod-", "1668558899"},
        {"Root::FilterResonance", "1702391922"}, {"Root::GldBend", "5"}, {"Root::GldRate", "4"},
        {"Root::Glide", "3"}, {"Root::LFORate", "19"}, {"Root::ModWheel", "1836016759"},
        {"Root::Noise", "21"}, {"Root::OSCFine", "2"}, {"Root::OSCMix", "0"},
        {"Root::OSCTune", "1"}, {"Root::Octave", "22"}, {"Root::PitchBend", "1885959266"},
        {"Root::Tuning", "23"}, {"Root::VCFAtt", "11"}, {"Root::VCFDec", "12"},
        {"Root::VCFEnv", "8"}, {"Root::VCFFreq", "6"}, {"Root::VCFLFO", "9"},
        {"Root::VCFRel", "14"}, {"Root::VCFReso", "7"}, {"Root::VCFSus", "13"},
        {"Root::VCFVel", "10"}, {"Root::Vibrato", "20"}};
    // clang-format on
    std::vector<std::pair<std::string, std::string>> tags;
    for (const pugi::xml_node& tag : elements(root.child("control-tags")))
    {
        EXPECT_STREQ(tag.name(), "control-tag");
        tags.emplace_back(tag.attribute("name").value(), tag.attribute("tag").value());
    }
    EXPECT_EQ(tags, expected);
}

TEST_F(DescriptionTest, BitmapsNameTheirPngFiles)
{
    std::map<std::string, std::string> bitmaps;
    for (const pugi::xml_node& bitmap : elements(root.child("bitmaps")))
        bitmaps[bitmap.attribute("name").value()] = bitmap.attribute("path").value();
    const std::map<std::string, std::string> expected = {
        {"Brask_about", "Brask_about.png"},         {"Brask_background", "Brask_background.png"},
        {"Brask_knob", "Brask_knob.png"},           {"Brask_knob5", "Brask_knob5.png"},
        {"Brask_slider_11", "Brask_slider_11.png"}, {"Brask_slider_5", "Brask_slider_5.png"}};
    EXPECT_EQ(bitmaps, expected);
}

TEST_F(DescriptionTest, TemplatesHaveTheirFrames)
{
    expectAttributes(editor,
                     {{"class", "CViewContainer"},
                      {"origin", "0, 0"},
                      {"size", "778, 465"},
                      {"bitmap", "Brask_background"},
                      {"background-color", "~ GreyCColor"},
                      {"background-color-draw-style", "filled and stroked"},
                      {"transparent", "false"},
                      {"mouse-enabled", "true"}},
                     "Editor");
    const pugi::xml_node spare = root.find_child_by_attribute("template", "name", "CViewContainer");
    expectAttributes(spare,
                     {{"class", "CViewContainer"},
                      {"origin", "0, 0"},
                      {"size", "400, 400"},
                      {"background-color", "~ GreyCColor"},
                      {"background-color-draw-style", "filled and stroked"},
                      {"transparent", "false"},
                      {"mouse-enabled", "true"}},
                     "CViewContainer");
    EXPECT_TRUE(elements(spare).empty());
}

TEST_F(DescriptionTest, EditorHasItsTwentyFiveViewsInDrawingOrder)
{
    const std::vector<pugi::xml_node> views = elements(editor);
    ASSERT_EQ(views.size(), std::size(kChildren));
    for (std::size_t i = 0; i < views.size(); ++i)
    {
        const Child& expected = kChildren[i];
        const pugi::xml_node view = views[i];
        const std::string where = "view " + std::to_string(i + 1);
        if (expected.kind == Kind::splash)
        {
            expectAttributes(view, kSplash, where);
            EXPECT_FALSE(view.attribute("bitmap")) << where;
            EXPECT_FALSE(view.attribute("control-tag")) << where;
            continue;
        }
        expectAttributes(view, kGroup, where);
        expectAttributes(view, {{"origin", expected.origin}, {"size", expected.size}}, where);
        const std::vector<pugi::xml_node> controls = elements(view);
        if (expected.kind == Kind::menu)
        {
            ASSERT_EQ(controls.size(), 1u) << where;
            expectAttributes(controls[0], kTextStyle, where + " menu");
            expectAttributes(controls[0], kMenu, where + " menu");
            continue;
        }
        ASSERT_EQ(controls.size(), 2u) << where;
        const bool fader = expected.kind == Kind::fader;
        const std::string title = std::string(expected.tag) == "Root::Octave" ? "-1" : "0.0000";
        expectAttributes(controls[0], kKnob, where + " knob");
        expectAttributes(controls[0],
                         {{"origin", expected.controlOrigin},
                          {"size", fader ? "30, 128" : "64, 64"},
                          {"control-tag", expected.tag},
                          {"bitmap", expected.bitmap},
                          {"sub-pixmaps", expected.frames},
                          {"height-of-one-image", fader ? "128" : "64"},
                          {"default-value", expected.defaultValue}},
                         where + " knob");
        expectAttributes(controls[1], kTextStyle, where + " text");
        expectAttributes(controls[1], kTextEdit, where + " text");
        expectAttributes(controls[1],
                         {{"origin", fader ? "5, 145" : "30, 90"},
                          {"control-tag", expected.tag},
                          {"default-value", expected.defaultValue},
                          {"title", title}},
                         where + " text");
    }
}

TEST_F(DescriptionTest, ViewsUseOnlyDeclaredTagsAndBitmaps)
{
    std::map<std::string, bool> tags, bitmaps;
    for (const pugi::xml_node& tag : elements(root.child("control-tags")))
        tags[tag.attribute("name").value()] = true;
    for (const pugi::xml_node& bitmap : elements(root.child("bitmaps")))
        bitmaps[bitmap.attribute("name").value()] = true;
    for (const pugi::xpath_node& found : editor.select_nodes(".//view"))
    {
        const pugi::xml_node view = found.node();
        if (const char* tag = view.attribute("control-tag").as_string(nullptr))
        {
            EXPECT_TRUE(tags[tag]) << tag;
        }
        for (const char* attribute : {"bitmap", "splash-bitmap"})
        {
            if (const char* bitmap = view.attribute(attribute).as_string(nullptr))
            {
                EXPECT_TRUE(bitmaps[bitmap]) << bitmap;
            }
        }
    }
}

} // namespace
