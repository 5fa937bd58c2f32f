// SPDX-License-Identifier: GPL-3.0-or-later
// Lv2Editor: the instrument's editor as an LV2 X11 UI. It holds a controller of its own through
// the hosting kit and embeds the controller's view in the host's parent window, served by the
// kit's run loop on each ui:idleInterface call. It shares nothing with the plug-in instance: the
// editor's edits leave as port writes (with ui:touch around them where the host offers it), and
// the host's port events set the controller's parameters, so that the editor follows.
#pragma once

#include "Lv2Ports.h"

#include "HostOwned.h"
#include "PlugFrame.h"
#include "PluginInstance.h"

#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Lv2 {

class Lv2Editor : private Hosting::HostOwned<IComponentHandler>
{
public:
    static constexpr const char* kViewName = "editor";

    /** Opens the editor in the parent window the features name; null when there is none, or
        the controller offers no view that embeds in an X11 window. */
    static std::unique_ptr<Lv2Editor> create(IPluginFactory* factory, const TUID processorClassId,
                                             LV2UI_Write_Function write,
                                             LV2UI_Controller controller,
                                             const LV2_Feature* const* features);
    ~Lv2Editor();
    Lv2Editor(const Lv2Editor&) = delete;
    Lv2Editor& operator=(const Lv2Editor&) = delete;

    /** The editor's own X11 window, inside the parent. */
    LV2UI_Widget widget() const { return reinterpret_cast<LV2UI_Widget>(window); }

    /** A control port's value from the host: the controller's parameter follows. */
    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    /** Serves the editor's window and timers; 0 while the editor is open. */
    int idle();

private:
    Lv2Editor() = default;
    bool open(IPluginFactory* factory, const TUID processorClassId,
              const LV2_Feature* const* features);
    /** The port of a parameter, or 0 for none (no control port has index 0). */
    static uint32_t portOf(ParamID id);

    tresult PLUGIN_API beginEdit(ParamID id) SMTG_OVERRIDE;
    tresult PLUGIN_API performEdit(ParamID id, ParamValue value) SMTG_OVERRIDE;
    tresult PLUGIN_API endEdit(ParamID id) SMTG_OVERRIDE;
    tresult PLUGIN_API restartComponent(int32 flags) SMTG_OVERRIDE;

    LV2UI_Write_Function write = nullptr;
    LV2UI_Controller hostController = nullptr;
    const LV2UI_Touch* touch = nullptr;
    std::unique_ptr<Hosting::PluginInstance> instance;
    Hosting::PlugFrame frame;
    IPlugView* view = nullptr;
    bool attached = false;
    uintptr_t window = 0;
};

} // namespace Lv2
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
