// SPDX-License-Identifier: GPL-3.0-or-later
// brask-screenshot: renders the editor off-screen, as a host shows it on opening a new instance
// (the processor's state handed to the controller first, so every control shows the sound that
// plays), into a PNG file for the documentation.
//
//   brask-screenshot [--scale 2] [--zoom 150] [--about | --menu] [--preset NAME] <output.png>
//
// --zoom sets the editor's zoom in percent (100 to 200) as its menu does; --scale is the host's
// content scale on top of it. --preset loads a factory preset from the editor's own list first,
// as choosing it there does. --menu opens the context menu with its presets of one category.

#include "BraskControllerWithUI.h"
#include "BraskProcessor.h"
#include "PresetBrowser.h"

#include "editor/VST3Editor.h"
#include "platform/offscreen/OffscreenRender.h"
#include "views/CFrame.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

/** The state a new processor writes, handed to the controller as a host does. */
bool handOverProcessorState(HostApplication& host, Tarvik::BraskController& controller)
{
    IPtr<Tarvik::BraskProcessor> processor = owned(new Tarvik::BraskProcessor());
    if (processor->initialize(&host) != kResultOk) return false;
    IPtr<MemoryStream> state = owned(new MemoryStream());
    const bool written = processor->getState(state) == kResultOk;
    processor->terminate();
    state->seek(0, IBStream::kIBSeekSet, nullptr);
    return written && controller.setComponentState(state) == kResultOk;
}

void press(VSTGUI::CFrame& frame, unsigned char key)
{
    VSTGUI::VstKeyCode code;
    code.virt = key;
    frame.onKeyDown(code);
}

/** A right-click on the panel below the filter, then the keys that open Presets and Lead. */
void openContextMenu(VSTGUI::CFrame& frame)
{
    const VSTGUI::CPoint where(400, 40);
    frame.platformOnMouseDown(where, VSTGUI::kRButton);
    frame.platformOnMouseUp(where, VSTGUI::kRButton);
    for (const unsigned char key : {VSTGUI::VKEY_DOWN, VSTGUI::VKEY_RIGHT, VSTGUI::VKEY_DOWN,
                                    VSTGUI::VKEY_DOWN, VSTGUI::VKEY_RIGHT})
        press(frame, key);
}

int usage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s [--scale 1|2] [--zoom 100..200] [--about | --menu] [--preset NAME] "
                 "<output.png>\n",
                 program);
    return 2;
}

struct Options
{
    double scale = 1.0; // the host's content scale
    double zoom = 100.0;
    bool about = false;
    bool menu = false;
    const char* preset = nullptr;
    const char* output = nullptr;
};

bool parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--scale") == 0 && hasValue)
            options.scale = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--zoom") == 0 && hasValue)
            options.zoom = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--about") == 0)
            options.about = true;
        else if (std::strcmp(argv[i], "--menu") == 0)
            options.menu = true;
        else if (std::strcmp(argv[i], "--preset") == 0 && hasValue)
            options.preset = argv[++i];
        else if (argv[i][0] != '-' && !options.output)
            options.output = argv[i];
        else
            return false;
    }
    // atof gives 0 for words, which the ranges refuse.
    return options.output && options.scale >= 1.0 && options.scale <= 4.0 &&
           options.zoom >= 100.0 && options.zoom <= 200.0 && !(options.about && options.menu);
}

/** Loads the factory preset of that name as choosing it in the editor's menu does. */
bool loadPreset(Tarvik::BraskControllerWithUI& controller, const std::string& name)
{
    Tarvik::PresetBrowser& browser = controller.presetBrowser();
    browser.refresh();
    const auto& presets = browser.library().presets();
    for (size_t i = 0; i < presets.size(); ++i)
    {
        if (presets[i].name == name) return browser.load(static_cast<int32>(i));
    }
    return false;
}

/** Draws a new editor of the controller, as a host would show it, into a PNG file. */
int renderEditor(Tarvik::BraskControllerWithUI& controller, const Options& options)
{
    IPtr<IPlugView> view = owned(controller.createView(ViewType::kEditor));
    auto* editor = dynamic_cast<VSTGUI::VST3Editor*>(view.get());
    if (!editor || editor->getEditorSize() == VSTGUI::CPoint())
    {
        std::fprintf(stderr, "brask-screenshot: the editor could not be built\n");
        return 1;
    }
    // At the zoom, with the host's content scale on top.
    editor->setZoomFactor(options.zoom / 100.0);
    VSTGUI::CFrame& frame = *editor->getFrame();
    VSTGUI::OffscreenPlatformFrame platform(&frame);
    frame.setPlatformFrame(&platform);
    if (options.about)
    {
        // A click on the name plate, then the fade-in run to its end.
        const VSTGUI::CPoint where(600, 40);
        frame.platformOnMouseDown(where, VSTGUI::kLButton);
        frame.platformOnMouseUp(where, VSTGUI::kLButton);
        platform.advance(1000);
    }
    if (options.menu) openContextMenu(frame);
    const bool written =
        editor->renderToPNG(options.output, options.scale * editor->getZoomFactor());
    frame.setPlatformFrame(nullptr);
    if (!written)
    {
        std::fprintf(stderr, "brask-screenshot: cannot write %s\n", options.output);
        return 1;
    }
    std::printf("brask-screenshot: %s\n", options.output);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) return usage(argv[0]);

    // The processor and controller classes themselves rather than the factory's: with neither
    // the user's presets nor the user's editor settings, the picture shows the product as it
    // ships.
    HostApplication host;
    IPtr<Tarvik::BraskControllerWithUI> controller =
        owned(new Tarvik::BraskControllerWithUI(std::filesystem::path{}));
    if (controller->initialize(&host) != kResultOk)
    {
        std::fprintf(stderr, "brask-screenshot: the controller did not initialize\n");
        return 1;
    }
    int result = 0;
    if (!handOverProcessorState(host, *controller))
    {
        std::fprintf(stderr, "brask-screenshot: the processor's state could not be handed over\n");
        result = 1;
    }
    else if (options.preset && !loadPreset(*controller, options.preset))
    {
        std::fprintf(stderr, "brask-screenshot: no preset named \"%s\"\n", options.preset);
        result = 1;
    }
    else
    {
        result = renderEditor(*controller, options);
    }
    controller->terminate();
    return result;
}
