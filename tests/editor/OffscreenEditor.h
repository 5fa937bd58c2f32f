// SPDX-License-Identifier: GPL-3.0-or-later
// The product's editor built in the test program and drawn off-screen: the reference a host's
// window is held against, and where its views and menu entries lie.
#pragma once

#include "BraskControllerWithUI.h"
#include "Picture.h"
#include "TestHosts.h"

#include "editor/VST3Editor.h"
#include "platform/offscreen/OffscreenRender.h"
#include "views/COptionMenu.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class OffscreenEditor
{
public:
    /** An editor on `made`, with the controller values of `valuesFrom` where one is given. */
    explicit OffscreenEditor(BraskControllerWithUI* made, IEditController* valuesFrom = nullptr)
        : controller(owned(made))
    {
        controller->initialize(host.context());
        for (int32 i = 0; valuesFrom && i < valuesFrom->getParameterCount(); ++i)
        {
            ParameterInfo info{};
            valuesFrom->getParameterInfo(i, info);
            controller->setParamNormalized(info.id, valuesFrom->getParamNormalized(info.id));
        }
        view = owned(controller->createView(ViewType::kEditor));
        editor = dynamic_cast<VSTGUI::VST3Editor*>(view.get());
        editor->getFrame()->setPlatformFrame(&platform);
    }
    ~OffscreenEditor()
    {
        editor->getFrame()->setPlatformFrame(nullptr);
        view = nullptr;
        controller->terminate();
    }
    OffscreenEditor(const OffscreenEditor&) = delete;
    OffscreenEditor& operator=(const OffscreenEditor&) = delete;

    TestSupport::Picture image() const
    {
        const VSTGUI::OffscreenImage image = VSTGUI::renderToImage(*editor->getFrame());
        return TestSupport::Picture::fromArgb(image.width, image.height, image.pixels);
    }
    void click(const VSTGUI::CPoint& where, const VSTGUI::CButtonState& button = VSTGUI::kLButton)
    {
        editor->getFrame()->platformOnMouseDown(where, button);
        editor->getFrame()->platformOnMouseUp(where, button);
    }
    /** The middle of the row of entry `index` of an open menu list. */
    VSTGUI::CPoint rowOf(const VSTGUI::COptionMenu& menu, int32_t index)
    {
        const VSTGUI::CRect list = menu.getPopupRect();
        VSTGUI::CCoord first = -1, last = -1;
        for (VSTGUI::CCoord y = list.top; y < list.bottom; ++y)
        {
            editor->getFrame()->platformOnMouseMoved({list.getCenter().x, y}, {});
            if (menu.getHighlightedIndex() != index) continue;
            if (first < 0) first = y;
            last = y;
        }
        return {list.getCenter().x, (first + last) / 2};
    }

    EditorTest::TestHost host{false};
    IPtr<BraskControllerWithUI> controller;
    IPtr<IPlugView> view;
    VSTGUI::VST3Editor* editor = nullptr;
    VSTGUI::OffscreenPlatformFrame platform{nullptr};
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
