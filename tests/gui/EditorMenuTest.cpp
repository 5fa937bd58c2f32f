// SPDX-License-Identifier: GPL-3.0-or-later
// The delegate's context menu: where a right-click opens it, how its entries, ticks, separators,
// greyed entries and submenus are walked with the pointer and the keys, and that every list
// stays inside the editor.
#include "GuiTestSupport.h"

#include "views/COptionMenu.h"
#include "views/CTextLabel.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace GuiTest;
using namespace VSTGUI;

namespace {

/** The test description is 200 x 150; its background is free at 100, 100. */
struct MenuRig : EditorRig
{
    /** Alpha, a separator, Off (greyed), Ticked (ticked), More with One and Two. */
    MenuRig()
    {
        controller->contextMenu = [this](const CPoint& where) {
            asked.push_back(where);
            auto* menu = new COptionMenu;
            menu->addEntry("Alpha", [this] { chosen.push_back("Alpha"); });
            menu->addSeparator();
            menu->addEntry(
                "Off", [this] { chosen.push_back("Off"); }, CMenuItem::kDisabled);
            menu->addEntry(
                "Ticked", [this] { chosen.push_back("Ticked"); }, CMenuItem::kChecked);
            auto* more = new COptionMenu;
            more->addEntry("One", [this] { chosen.push_back("One"); });
            more->addEntry("Two", [this] { chosen.push_back("Two"); });
            menu->addEntry(more, "More");
            for (int i = 0; i < extraEntries; ++i)
            {
                std::string title = "Entry " + std::to_string(i);
                menu->addEntry(title.c_str(), [this, title] { chosen.push_back(title); });
            }
            return menu;
        };
    }
    bool rightClick(double x, double y)
    {
        CPoint where(x, y);
        return frame().onMouseDown(where, kRButton) != kMouseEventNotHandled;
    }
    void move(double x, double y)
    {
        CPoint where(x, y);
        frame().onMouseMoved(where, 0);
    }
    COptionMenu* menu() const { return editor->getContextMenu(); }
    /** The middle of an entry's row in the open list of `of` (scrolled to its top). */
    CPoint rowCentre(const COptionMenu* of, int index) const
    {
        CRect list = of->getPopupRect();
        double row = 0, y = list.top + 2;
        for (int i = 0; i <= index; ++i)
        {
            row = of->getItem(i)->isSeparator() ? 7 : 20; // the 12 px font and its padding
            if (i < index) y += row;
        }
        return CPoint(list.left + 20, y + row / 2);
    }

    int extraEntries = 0;
    std::vector<CPoint> asked;
    std::vector<std::string> chosen;
};

} // namespace

TEST(ContextMenu, OpensOnARightClickOnTheBackgroundOnly)
{
    struct Case
    {
        const char* where;
        CPoint point;
        int32_t buttons;
        bool opens;
    };
    const Case cases[] = {
        {"background", {100, 100}, kRButton, true},
        {"knob", {15, 15}, kRButton, false},
        {"read-out", {55, 20}, kRButton, false},
        {"voice-mode menu", {150, 18}, kRButton, false},
        {"about area", {170, 70}, kRButton, false},
        {"background, left button", {100, 100}, kLButton, false},
    };
    for (const Case& c : cases)
    {
        MenuRig rig;
        CPoint at = c.point;
        rig.frame().onMouseDown(at, c.buttons);
        EXPECT_EQ(rig.menu() != nullptr && rig.menu()->isPopupOpen(), c.opens) << c.where;
        EXPECT_EQ(rig.asked.size(), c.opens ? 1u : 0u) << c.where;
        if (c.opens)
        {
            EXPECT_EQ(rig.asked.front(), c.point) << c.where;
        }
    }
    EditorRig plain; // a delegate without a menu
    CPoint at(100, 100);
    EXPECT_EQ(plain.frame().onMouseDown(at, kRButton), kMouseEventNotHandled);
    EXPECT_EQ(plain.frame().getNbOverlays(), 0u);
}

TEST(ContextMenu, ListsStayInsideTheEditorWithSubmenusBesideTheirEntry)
{
    const CRect editor(0, 0, 200, 150);
    for (CPoint click : {CPoint(100, 100), CPoint(195, 145), CPoint(3, 3), CPoint(60, 140)})
    {
        MenuRig rig;
        ASSERT_TRUE(rig.rightClick(click.x, click.y));
        COptionMenu* menu = rig.menu();
        const CRect list = menu->getPopupRect();
        EXPECT_EQ(CRect(list).bound(editor), list) << click.x << ", " << click.y;
        EXPECT_EQ(menu->getHighlightedIndex(), -1) << "nothing highlighted before a move";
        rig.move(rig.rowCentre(menu, 4).x, rig.rowCentre(menu, 4).y);
        COptionMenu* more = menu->getOpenSubmenu();
        ASSERT_NE(more, nullptr) << "opens on the pointer";
        const CRect sub = more->getPopupRect();
        EXPECT_EQ(CRect(sub).bound(editor), sub);
        EXPECT_TRUE(sub.left >= list.right - 2 || sub.right <= list.left + 2) << "beside";
        const double entryTop = rig.rowCentre(menu, 4).y - 10;
        EXPECT_TRUE(sub.top <= entryTop && sub.bottom >= entryTop + 20) << "level with its entry";
    }
}

TEST(ContextMenu, PointerAndKeysWalkEntriesAndSubmenus)
{
    enum Action : int
    {
        ClickOff = kFirstAction,
        ClickSeparator,
        ClickTicked,
        ClickOutside,
        MoveToMore,
        ClickTwo,
    };
    struct Case
    {
        const char* name;
        std::vector<int> inputs;
        std::vector<std::string> chosen;
        bool stillOpen;
    };
    const Case cases[] = {
        {"down skips the separator and the greyed entry", {Down, Down, Enter}, {"Ticked"}, false},
        {"up from nothing starts at the end", {Up, Enter}, {}, true}, // opens More
        {"right opens the submenu on its first entry", {Up, Right, Down, Enter}, {"Two"}, false},
        {"left closes only the submenu", {Up, Right, Left, Up, Up, Enter}, {"Alpha"}, false},
        {"escape closes the submenu, then the menu", {Up, Right, Escape}, {}, true},
        {"two escapes close all", {Up, Right, Escape, Escape}, {}, false},
        {"greyed entries and separators do nothing", {ClickOff, ClickSeparator}, {}, true},
        {"a ticked entry is chosen like any", {ClickTicked}, {"Ticked"}, false},
        {"the pointer opens the submenu and chooses in it", {MoveToMore, ClickTwo}, {"Two"}, false},
        {"a click outside closes without a choice", {MoveToMore, ClickOutside}, {}, false},
    };
    for (const Case& c : cases)
    {
        MenuRig rig;
        ASSERT_TRUE(rig.rightClick(100, 40));
        COptionMenu* menu = rig.menu();
        for (int input : c.inputs)
        {
            auto click = [&](const COptionMenu* of, int index) {
                CPoint at = rig.rowCentre(of, index);
                rig.frame().onMouseDown(at, kLButton);
            };
            if (const std::optional<bool> taken = rig.keyStep(input))
            {
                if (input == Down || input == Up)
                {
                    EXPECT_TRUE(*taken) << c.name;
                }
                continue;
            }
            switch (input)
            {
            case ClickOff:
                click(menu, 2);
                break;
            case ClickSeparator:
                click(menu, 1);
                break;
            case ClickTicked:
                click(menu, 3);
                break;
            case ClickOutside:
            {
                CPoint outside(199, 1);
                rig.frame().onMouseDown(outside, kLButton);
                break;
            }
            case MoveToMore:
                rig.move(rig.rowCentre(menu, 4).x, rig.rowCentre(menu, 4).y);
                break;
            case ClickTwo:
                ASSERT_NE(menu->getOpenSubmenu(), nullptr) << c.name;
                click(menu->getOpenSubmenu(), 1);
                break;
            default: // the keys, pressed above
                break;
            }
        }
        EXPECT_EQ(rig.chosen, c.chosen) << c.name;
        EXPECT_EQ(menu->isPopupOpen(), c.stillOpen) << c.name;
        EXPECT_TRUE(rig.handler->edits.empty()) << c.name;
    }
}

TEST(ContextMenu, TicksAndGreyedEntriesShow)
{
    MenuRig rig;
    ASSERT_TRUE(rig.rightClick(100, 20));
    const OffscreenImage image = renderToImage(rig.frame());
    auto brightest = [&](int index, double fromX, double toX) {
        const CPoint centre = rig.rowCentre(rig.menu(), index);
        const double left = rig.menu()->getPopupRect().left;
        uint32_t best = 0;
        for (int y = int(centre.y) - 6; y <= int(centre.y) + 6; ++y)
            for (int x = int(left + fromX); x < int(left + toX); ++x)
                best = std::max(best, image.getPixel(x, y) & 0xFF);
        return best;
    };
    EXPECT_GT(brightest(3, 2, 18), 200u) << "a white tick before Ticked";
    EXPECT_LT(brightest(0, 2, 18), 80u) << "none before Alpha, although the menu's value is 0";
    EXPECT_GT(brightest(0, 22, 60), 200u) << "Alpha in white";
    EXPECT_LT(brightest(2, 22, 60), 150u) << "Off in grey";
}

TEST(ContextMenu, ListsTallerThanTheEditorScroll)
{
    MenuRig rig;
    rig.extraEntries = 30;
    ASSERT_TRUE(rig.rightClick(100, 100));
    COptionMenu* menu = rig.menu();
    EXPECT_LE(menu->getPopupRect().getHeight(), 150);
    EXPECT_GE(menu->getPopupRect().top, 0);
    struct Case
    {
        std::vector<unsigned char> keys;
        const char* chosen;
    };
    const Case cases[] = {
        {{VKEY_END, VKEY_RETURN}, "Entry 29"},
        {{VKEY_END, VKEY_HOME, VKEY_RETURN}, "Alpha"},
        {{VKEY_END, VKEY_UP, VKEY_UP, VKEY_RETURN}, "Entry 27"},
    };
    for (const Case& c : cases)
    {
        rig.chosen.clear();
        if (!menu->isPopupOpen())
        {
            ASSERT_TRUE(rig.rightClick(100, 100));
        }
        menu = rig.menu();
        for (unsigned char key : c.keys)
            rig.key(0, key);
        ASSERT_EQ(rig.chosen.size(), 1u) << c.chosen;
        EXPECT_EQ(rig.chosen.front(), c.chosen);
    }
    // The wheel scrolls the list under the pointer.
    rig.chosen.clear();
    ASSERT_TRUE(rig.rightClick(100, 100));
    menu = rig.menu();
    CPoint third = rig.rowCentre(menu, 2);
    rig.frame().onWheel(third, -1, 0);
    rig.frame().onWheel(third, -1, 0);
    rig.frame().onMouseDown(third, kLButton);
    ASSERT_EQ(rig.chosen.size(), 1u);
    EXPECT_EQ(rig.chosen.front(), "Entry 2") << "two turns of three rows each";
}

TEST(TextLabel, ShowsItsTextAndLetsClicksThrough)
{
    MenuRig rig;
    auto* label = new CTextLabel(CRect(100, 85, 180, 105), "Hello");
    label->setFontColor(kWhiteCColor);
    rig.frame().addView(label);
    auto whitePixels = [&] {
        const OffscreenImage image = renderToImage(rig.frame());
        int count = 0;
        for (int y = 85; y < 105; ++y)
            for (int x = 100; x < 180; ++x)
                count += (image.getPixel(x, y) & 0xFF) > 200;
        return count;
    };
    EXPECT_GT(whitePixels(), 10);
    label->setText("");
    EXPECT_EQ(whitePixels(), 0);
    rig.frame().clearDirtyRect();
    label->setText("A name far too long for eighty pixels of label");
    EXPECT_TRUE(rig.frame().getDirtyRect().rectOverlap(label->getViewSize())) << "redrawn";
    EXPECT_TRUE(rig.rightClick(140, 95)) << "the label takes no clicks";
}
