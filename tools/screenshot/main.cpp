// SPDX-License-Identifier: GPL-3.0-or-later
// brask-screenshot: renders the editor off-screen, as a host shows it on opening a new instance
// (created through the factory as a host does, the processor's state handed to the controller, so
// every control shows the sound that plays), into a PNG file for the documentation.
//
//   brask-screenshot [--scale 2] [--about] <output.png>

#include "PluginInstance.h"

#include "editor/VST3Editor.h"
#include "platform/offscreen/OffscreenRender.h"
#include "views/CFrame.h"

#include "pluginterfaces/gui/iplugview.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;

extern "C" IPluginFactory* PLUGIN_API GetPluginFactory();

namespace {

int usage(const char* program)
{
    std::fprintf(stderr, "usage: %s [--scale 1|2] [--about] <output.png>\n", program);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    double scale = 1.0;
    bool about = false;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc)
            scale = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--about") == 0)
            about = true;
        else if (argv[i][0] != '-' && !output)
            output = argv[i];
        else
            return usage(argv[0]);
    }
    if (!output || !(scale >= 1.0 && scale <= 4.0)) return usage(argv[0]);

    IPluginFactory* factory = GetPluginFactory();
    std::string error;
    std::unique_ptr<Tarvik::Hosting::PluginInstance> instance =
        Tarvik::Hosting::PluginInstance::create(factory, nullptr, error);
    if (!instance)
    {
        std::fprintf(stderr, "brask-screenshot: %s\n", error.c_str());
        factory->release();
        return 1;
    }
    int result = 0;
    {
        IPtr<IPlugView> view = owned(instance->controller()->createView(ViewType::kEditor));
        auto* editor = dynamic_cast<VSTGUI::VST3Editor*>(view.get());
        if (!editor || editor->getEditorSize() == VSTGUI::CPoint())
        {
            std::fprintf(stderr, "brask-screenshot: the editor could not be built\n");
            result = 1;
        }
        else
        {
            if (about)
            {
                // A click on the name plate, then the fade-in run to its end.
                VSTGUI::OffscreenPlatformFrame platform(editor->getFrame());
                editor->getFrame()->setPlatformFrame(&platform);
                const VSTGUI::CPoint where(600, 40);
                editor->getFrame()->platformOnMouseDown(where, VSTGUI::kLButton);
                editor->getFrame()->platformOnMouseUp(where, VSTGUI::kLButton);
                platform.advance(1000);
                if (!editor->renderToPNG(output, scale)) result = 1;
                editor->getFrame()->setPlatformFrame(nullptr);
            }
            else if (!editor->renderToPNG(output, scale))
                result = 1;
            if (result != 0)
                std::fprintf(stderr, "brask-screenshot: cannot write %s\n", output);
            else
                std::printf("brask-screenshot: %s\n", output);
        }
    }
    instance.reset();
    factory->release();
    return result;
}
