// SPDX-License-Identifier: GPL-3.0-or-later
// Questions the editor asks inside its window: a line of text, or yes and no.
#include "GuiTestSupport.h"

#include "views/CConfirmPrompt.h"
#include "views/CTextEdit.h"
#include "views/CTextPrompt.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace GuiTest;
using namespace VSTGUI;

namespace {

struct Answer
{
    bool accepted;
    std::string text;
};

template <typename Prompt>
Prompt* openPrompt(EditorRig& rig)
{
    for (std::size_t i = rig.frame().getNbOverlays(); i-- > 0;)
        if (auto* prompt = dynamic_cast<Prompt*>(rig.frame().getOverlay(i))) return prompt;
    return nullptr;
}

} // namespace

TEST(Prompt, TextIsAcceptedWithEnterAndDeclinedOtherwise)
{
    enum Finish : int
    {
        ClickOutside = kFirstAction,
        ClickInTheBoxThenEnter,
    };
    struct Case
    {
        const char* name;
        const char* typed;
        int finish;
        Answer expected;
    };
    const Case cases[] = {
        {"typed over the selected initial text", "Bass 2", Enter, {true, "Bass 2"}},
        {"the initial text as it is", "", Enter, {true, "My Sound"}},
        {"escape", "Bass 2", Escape, {false, ""}},
        {"a click outside the box", "Bass 2", ClickOutside, {false, ""}},
        {"a click in the box keeps it open", "Bass 2", ClickInTheBoxThenEnter, {true, "Bass 2"}},
    };
    for (const Case& c : cases)
    {
        EditorRig rig;
        std::vector<Answer> answers;
        rig.editor->askForText("Save preset as", "My Sound",
                               [&](bool accepted, const std::string& text) {
                                   answers.push_back({accepted, text});
                               });
        ASSERT_TRUE(rig.editor->isPromptOpen()) << c.name;
        auto* prompt = openPrompt<CTextPrompt>(rig);
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(prompt->getField()->getTypedText(), "My Sound");
        for (char ch : std::string(c.typed))
            EXPECT_TRUE(rig.key(ch)) << c.name;
        EXPECT_EQ(rig.editor->onKeyDown(0, 12 /* up */, 0), kResultTrue)
            << "a question keeps every key";
        const CRect box = prompt->getBoxRect();
        if (c.finish == ClickOutside)
            rig.click(box.left - 5, box.bottom + 5);
        else if (c.finish == ClickInTheBoxThenEnter)
        {
            rig.click(box.left + 3, box.top + 3);
            EXPECT_TRUE(rig.editor->isPromptOpen()) << c.name;
            rig.key(0, VKEY_RETURN);
        }
        else
            rig.keyStep(c.finish);
        ASSERT_EQ(answers.size(), 1u) << c.name;
        EXPECT_EQ(answers[0].accepted, c.expected.accepted) << c.name;
        EXPECT_EQ(answers[0].text, c.expected.text) << c.name;
        EXPECT_FALSE(rig.editor->isPromptOpen()) << c.name;
        EXPECT_TRUE(rig.handler->edits.empty()) << c.name;
    }
}

TEST(Prompt, YesOrNoAndNoUnlessChosen)
{
    enum Click : int
    {
        ClickYes = kFirstAction,
        ClickNo,
        ClickOutside,
    };
    struct Case
    {
        std::vector<int> inputs;
        bool yes;
    };
    const Case cases[] = {
        {{Enter}, false},         {{Right, Enter}, true},
        {{Tab, Space}, true},     {{Right, Right, Enter}, false},
        {{Right, Escape}, false}, {{ClickYes}, true},
        {{ClickNo}, false},       {{Right, ClickOutside}, false},
    };
    for (const Case& c : cases)
    {
        EditorRig rig;
        std::vector<bool> answers;
        rig.editor->askYesNo(
            "Replace \"Bass 2\"?", [&](bool yes) { answers.push_back(yes); }, "Replace", "Cancel");
        auto* prompt = openPrompt<CConfirmPrompt>(rig);
        ASSERT_NE(prompt, nullptr);
        for (int input : c.inputs)
        {
            const CPoint target = input == ClickYes  ? prompt->getYesRect().getCenter()
                                  : input == ClickNo ? prompt->getNoRect().getCenter()
                                                     : CPoint(1, 1);
            if (!rig.keyStep(input)) rig.click(target.x, target.y);
        }
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0], c.yes);
        EXPECT_FALSE(rig.editor->isPromptOpen());
    }
}

TEST(Prompt, OneAnswerEachAlsoWhenReplacedOrClosedAndAnswersMayAskAgain)
{
    std::vector<std::string> log;
    {
        EditorRig rig;
        rig.editor->askForText("First", "", [&](bool accepted, const std::string&) {
            log.push_back(accepted ? "first accepted" : "first declined");
        });
        // The answer to the second asks the third question, as a save asks before replacing.
        rig.editor->askForText("Second", "x", [&](bool accepted, const std::string& text) {
            log.push_back(accepted ? "second " + text : "second declined");
            rig.editor->askYesNo(
                "Third", [&](bool yes) { log.push_back(yes ? "third yes" : "third declined"); });
        });
        rig.key(0, VKEY_RETURN);
        EXPECT_TRUE(rig.editor->isPromptOpen()) << "the third waits";
        EXPECT_NE(openPrompt<CConfirmPrompt>(rig), nullptr);
    } // the editor goes with the question open
    EXPECT_EQ(log, (std::vector<std::string>{"first declined", "second x", "third declined"}));
}
