// SPDX-License-Identifier: GPL-3.0-or-later
// The built bundle's context menu in a host window on the test program's X server: a right-click on
// the panel opens it, and its zoom resizes the open editor through the host and stays the
// instance's. Where its entries lie is read off the same editor drawn in this process.
#include "BraskControllerWithUI.h"
#include "BuiltBundle.h"
#include "OffscreenEditor.h"
#include "Picture.h"
#include "TestHosts.h"
#include "TestPlugFrame.h"
#include "X11HostWindow.h"

#include "editor/VST3Editor.h"
#include "platform/offscreen/OffscreenRender.h"
#include "views/COptionMenu.h"

#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace {

/** Share of the pixels of a rectangle that changed between two screenshots. */
double changed(const TestSupport::Picture& a, const TestSupport::Picture& b,
               const VSTGUI::CRect& area)
{
    int differing = 0, all = 0;
    if (area.right > a.width || area.bottom > a.height || area.right > b.width ||
        area.bottom > b.height)
        return -1.0; // a window that could not be read
    for (int y = int(area.top); y < int(area.bottom); ++y)
        for (int x = int(area.left); x < int(area.right); ++x, ++all)
            differing += a.at(x, y) != b.at(x, y) ? 1 : 0;
    return all ? double(differing) / all : 0.0;
}

TEST(EditorMenuBundle, RightClickOpensTheMenuAndItsZoomResizesTheOpenEditorForGood)
{
    TestSupport::BuiltBundle bundle;
    TestSupport::X11HostWindow window;
    TestSupport::TestPlugFrame frame;
    std::string error;
    ASSERT_TRUE(bundle.open(error)) << error;
    ASSERT_TRUE(window.open(778, 465, error)) << error;
    IEditController* controller = bundle.instance->controller();
    const auto attach = [&](IPtr<IPlugView>& view) {
        view = owned(controller->createView(ViewType::kEditor));
        ASSERT_TRUE(view);
        ASSERT_EQ(view->setFrame(&frame), kResultOk);
        ASSERT_EQ(view->attached(window.parent(), kPlatformTypeX11EmbedWindowID), kResultOk);
        frame.pump(300);
    };
    IPtr<IPlugView> view;
    attach(view);
    OffscreenEditor local(new BraskControllerWithUI(std::filesystem::path{}));

    // A right-click on the panel between the sections opens the menu there.
    const VSTGUI::CPoint where(400, 40);
    const TestSupport::Picture before = window.screenshot();
    window.button(XCB_BUTTON_PRESS, 3, int(where.x), int(where.y));
    window.button(XCB_BUTTON_RELEASE, 3, int(where.x), int(where.y), XCB_BUTTON_MASK_3);
    frame.pump(150);
    local.click(where, VSTGUI::kRButton);
    VSTGUI::COptionMenu* menu = local.editor->getContextMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->isPopupOpen());
    EXPECT_GT(changed(before, window.screenshot(), menu->getPopupRect()), 0.2);

    // Zoom, then 150 %.
    ASSERT_EQ(menu->getEntry(5), "Zoom");
    const VSTGUI::CPoint zoom = local.rowOf(*menu, 5);
    window.click(int(zoom.x), int(zoom.y));
    frame.pump(150);
    local.click(zoom);
    VSTGUI::COptionMenu* zooms = menu->getOpenSubmenu();
    ASSERT_NE(zooms, nullptr);
    ASSERT_EQ(zooms->getEntry(2), "150 %");
    const VSTGUI::CPoint percent150 = local.rowOf(*zooms, 2);
    window.click(int(percent150.x), int(percent150.y));
    frame.pump(300);

    EXPECT_GE(frame.resizes, 1);
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), 1167);
    EXPECT_EQ(size.getHeight(), 698);
    const std::vector<xcb_window_t> embedded = window.children();
    ASSERT_EQ(embedded.size(), 1u);
    int width = 0, height = 0;
    window.size(embedded.front(), width, height);
    EXPECT_EQ(width, 1167);
    EXPECT_EQ(height, 698);

    // The instance's next editor opens at the zoom chosen.
    view->removed();
    view->setFrame(nullptr);
    view = nullptr;
    attach(view);
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), 1167);
    view->removed();
    view->setFrame(nullptr);
}

} // namespace
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
