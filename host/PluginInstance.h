// SPDX-License-Identifier: GPL-3.0-or-later
// One plug-in instance as a host holds it: processor and controller created through the factory,
// initialized with the host context, connected both ways, with the processor's state handed to
// the controller. Everything runs on the calling thread; process() stands for the audio thread.
#pragma once

#include "ComponentHandler.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <memory>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Host {

class PluginInstance
{
public:
    /** Creates the factory's first audio processor class and its controller. On failure returns
        null and says why in error. */
    static std::unique_ptr<PluginInstance> create(IPluginFactory* factory, std::string& error);

    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    /** Stereo output, 32-bit setup, buses activated, processor activated and processing. */
    bool start(double sampleRate, int32 maxSamplesPerBlock, std::string& error);
    /** Stops processing and deactivates; safe to call when not started. */
    void stop();
    bool isStarted() const { return started; }

    tresult process(ProcessData& data) { return audioProcessor->process(data); }

    /** Hands the processor's state to the controller, as hosts do after loading or creating. */
    bool syncControllerFromProcessor();

    /** The controller's parameters in its order. */
    std::vector<ParameterInfo> parameters() const;
    /** Finds a parameter by its title (exact); false if there is none. */
    bool findParameter(const std::string& title, ParameterInfo& info) const;

    /** Class description of the processor (from IPluginFactory2 where available). */
    const PClassInfo2& processorClass() const { return classInfo; }

    IComponent* component() const { return pluginComponent; }
    IAudioProcessor* processor() const { return audioProcessor; }
    IEditController* controller() const { return editController; }
    /** The controller's MIDI mapping, or null if it has none. */
    IMidiMapping* midiMapping() const { return mapping; }
    ComponentHandler& handler() { return componentHandler; }
    HostApplication& hostContext() { return *hostApplication; }

private:
    PluginInstance() = default;

    // The SDK's host application is not reference counted: the host owns it outright.
    std::unique_ptr<HostApplication> hostApplication;
    ComponentHandler componentHandler;
    PClassInfo2 classInfo;
    IComponent* pluginComponent = nullptr;
    IAudioProcessor* audioProcessor = nullptr;
    IEditController* editController = nullptr;
    IMidiMapping* mapping = nullptr;
    IConnectionPoint* componentConnection = nullptr;
    IConnectionPoint* controllerConnection = nullptr;
    bool componentInitialized = false;
    bool controllerInitialized = false;
    bool controllerIsComponent = false;
    bool started = false;
};

/** Converts a VST 3 UTF-16 string to UTF-8. */
std::string toUtf8(const TChar* text);

} // namespace Host
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
