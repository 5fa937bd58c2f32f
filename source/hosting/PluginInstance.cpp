// SPDX-License-Identifier: GPL-3.0-or-later
#include "PluginInstance.h"
#include "Utf16.h"

#include "pluginterfaces/vst/vstspeaker.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

namespace {

template <typename Interface>
Interface* queryFrom(FUnknown* object)
{
    void* result = nullptr;
    if (object && object->queryInterface(Interface::iid, &result) == kResultOk)
        return static_cast<Interface*>(result);
    return nullptr;
}

/** Class `index` of the factory, described as IPluginFactory2 does (what a first-version
    factory cannot say stays empty). */
bool readClass(IPluginFactory* factory, IPluginFactory2* factory2, int32 index, PClassInfo2& info)
{
    info = PClassInfo2();
    if (factory2) return factory2->getClassInfo2(index, &info) == kResultOk;
    PClassInfo basic;
    if (factory->getClassInfo(index, &basic) != kResultOk) return false;
    std::memcpy(info.cid, basic.cid, sizeof(TUID));
    std::memcpy(info.category, basic.category, sizeof(basic.category));
    std::memcpy(info.name, basic.name, sizeof(basic.name));
    return true;
}

/** The first class the predicate accepts; false when there is none. */
template <typename Accept>
bool findClass(IPluginFactory* factory, PClassInfo2& found, Accept accept)
{
    if (!factory) return false;
    IPluginFactory2* factory2 = queryFrom<IPluginFactory2>(factory);
    bool result = false;
    const int32 count = factory->countClasses();
    for (int32 i = 0; i < count && !result; ++i)
    {
        PClassInfo2 info;
        if (readClass(factory, factory2, i, info) && accept(info))
        {
            found = info;
            result = true;
        }
    }
    if (factory2) factory2->release();
    return result;
}

IPtr<MemoryStream> streamOf(const std::vector<uint8>& bytes)
{
    return owned(
        new MemoryStream(const_cast<uint8*>(bytes.data()), static_cast<TSize>(bytes.size())));
}

bool readState(tresult written, MemoryStream& stream, std::vector<uint8>& state)
{
    if (written != kResultOk) return false;
    const auto* bytes = reinterpret_cast<const uint8*>(stream.getData());
    state.assign(bytes, bytes + stream.getSize());
    return true;
}

} // namespace

bool PluginInstance::firstAudioClass(IPluginFactory* factory, PClassInfo2& info)
{
    return findClass(factory, info, [](const PClassInfo2& candidate) {
        return std::strcmp(candidate.category, kVstAudioEffectClass) == 0;
    });
}

PluginInstance::PluginInstance() : hostContext(new HostApplication()) {}

std::unique_ptr<PluginInstance>
PluginInstance::create(IPluginFactory* factory, IComponentHandler* handler, std::string& error)
{
    PClassInfo2 info;
    if (factory && !firstAudioClass(factory, info))
    {
        error = "the module holds no audio processor class";
        return nullptr;
    }
    return build(factory, info, handler, error);
}

std::unique_ptr<PluginInstance> PluginInstance::create(IPluginFactory* factory,
                                                       const TUID processorClassId,
                                                       IComponentHandler* handler,
                                                       std::string& error)
{
    PClassInfo2 info;
    // A class the factory does not describe may still be created: it is then known by its ID.
    if (!findClass(factory, info, [&](const PClassInfo2& candidate) {
            return FUnknownPrivate::iidEqual(candidate.cid, processorClassId);
        }))
        std::memcpy(info.cid, processorClassId, sizeof(TUID));
    return build(factory, info, handler, error);
}

std::unique_ptr<PluginInstance> PluginInstance::build(IPluginFactory* factory,
                                                      const PClassInfo2& processorClass,
                                                      IComponentHandler* handler,
                                                      std::string& error)
{
    if (!factory)
    {
        error = "no class factory";
        return nullptr;
    }
    std::unique_ptr<PluginInstance> instance(new PluginInstance());
    instance->classInfo = processorClass;
    if (!instance->connect(factory, handler, error)) return nullptr;
    return instance;
}

bool PluginInstance::connect(IPluginFactory* factory, IComponentHandler* handler,
                             std::string& error)
{
    void* object = nullptr;
    if (factory->createInstance(classInfo.cid, IComponent::iid, &object) != kResultOk || !object)
    {
        error = "the factory could not create the processor";
        return false;
    }
    pluginComponent = static_cast<IComponent*>(object);
    if (pluginComponent->initialize(hostContext.get()) != kResultOk)
    {
        error = "the processor failed to initialise";
        return false;
    }
    componentInitialized = true;

    audioProcessor = queryFrom<IAudioProcessor>(pluginComponent);
    if (!audioProcessor)
    {
        error = "the processor class is not an IAudioProcessor";
        return false;
    }

    // The controller: a separate class, or the component itself.
    TUID controllerCid{};
    if (pluginComponent->getControllerClassId(controllerCid) == kResultOk)
    {
        object = nullptr;
        if (factory->createInstance(controllerCid, IEditController::iid, &object) == kResultOk &&
            object)
            editController = static_cast<IEditController*>(object);
    }
    if (!editController)
    {
        editController = queryFrom<IEditController>(pluginComponent);
        controllerIsComponent = editController != nullptr;
    }
    if (!editController)
    {
        error = "the module has no edit controller for its processor";
        return false;
    }
    if (!controllerIsComponent)
    {
        if (editController->initialize(hostContext.get()) != kResultOk)
        {
            error = "the controller failed to initialise";
            return false;
        }
        controllerInitialized = true;
    }
    if (handler) editController->setComponentHandler(handler);
    mapping = queryFrom<IMidiMapping>(editController);

    if (!controllerIsComponent)
    {
        componentConnection = queryFrom<IConnectionPoint>(pluginComponent);
        controllerConnection = queryFrom<IConnectionPoint>(editController);
        if (componentConnection && controllerConnection)
        {
            componentConnection->connect(controllerConnection);
            controllerConnection->connect(componentConnection);
        }
    }

    syncControllerFromProcessor();
    return true;
}

PluginInstance::~PluginInstance()
{
    deactivate();
    if (componentConnection && controllerConnection)
    {
        componentConnection->disconnect(controllerConnection);
        controllerConnection->disconnect(componentConnection);
    }
    if (componentConnection) componentConnection->release();
    if (controllerConnection) controllerConnection->release();
    if (mapping) mapping->release();
    if (editController)
    {
        editController->setComponentHandler(nullptr);
        if (controllerInitialized) editController->terminate();
        editController->release();
    }
    if (audioProcessor) audioProcessor->release();
    if (pluginComponent)
    {
        if (componentInitialized) pluginComponent->terminate();
        pluginComponent->release();
    }
}

bool PluginInstance::setUpBuses(std::string& error)
{
    SpeakerArrangement output = SpeakerArr::kStereo;
    if (audioProcessor->setBusArrangements(nullptr, 0, &output, 1) != kResultTrue)
    {
        error = "the processor refused a stereo output";
        return false;
    }
    for (int32 i = 0; i < pluginComponent->getBusCount(kAudio, kOutput); ++i)
        pluginComponent->activateBus(kAudio, kOutput, i, true);
    for (int32 i = 0; i < pluginComponent->getBusCount(kEvent, kInput); ++i)
        pluginComponent->activateBus(kEvent, kInput, i, true);
    return true;
}

bool PluginInstance::setUpProcessing(double sampleRate, int32 maxSamplesPerBlock, int32 processMode)
{
    ProcessSetup setup{};
    setup.processMode = processMode;
    setup.symbolicSampleSize = kSample32;
    setup.maxSamplesPerBlock = maxSamplesPerBlock;
    setup.sampleRate = sampleRate;
    return audioProcessor->setupProcessing(setup) == kResultOk;
}

bool PluginInstance::activate()
{
    if (active) return true;
    if (pluginComponent->setActive(true) != kResultOk) return false;
    audioProcessor->setProcessing(true); // kNotImplemented is a valid answer
    active = true;
    return true;
}

void PluginInstance::deactivate()
{
    if (!active) return;
    // Cleared first: whoever asks from the audio thread stops calling process before the
    // processor goes inactive.
    active = false;
    audioProcessor->setProcessing(false);
    pluginComponent->setActive(false);
}

bool PluginInstance::start(double sampleRate, int32 maxSamplesPerBlock, std::string& error,
                           int32 processMode)
{
    if (active) return true;
    if (!setUpBuses(error)) return false;
    if (!setUpProcessing(sampleRate, maxSamplesPerBlock, processMode))
    {
        error = "the processor refused the processing setup";
        return false;
    }
    if (!activate())
    {
        error = "the processor could not be activated";
        return false;
    }
    return true;
}

bool PluginInstance::processorState(std::vector<uint8>& state) const
{
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    return readState(pluginComponent->getState(stream), *stream, state);
}

bool PluginInstance::controllerState(std::vector<uint8>& state) const
{
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    return readState(editController->getState(stream), *stream, state);
}

bool PluginInstance::restoreProcessorState(const std::vector<uint8>& state)
{
    if (pluginComponent->setState(streamOf(state)) != kResultOk) return false;
    return controllerIsComponent || editController->setComponentState(streamOf(state)) == kResultOk;
}

tresult PluginInstance::restoreControllerState(const std::vector<uint8>& state)
{
    return editController->setState(streamOf(state));
}

bool PluginInstance::syncControllerFromProcessor()
{
    if (controllerIsComponent) return true;
    std::vector<uint8> state;
    return processorState(state) && editController->setComponentState(streamOf(state)) == kResultOk;
}

std::vector<ParameterInfo> PluginInstance::parameters() const
{
    std::vector<ParameterInfo> list;
    const int32 count = editController->getParameterCount();
    for (int32 i = 0; i < count; ++i)
    {
        ParameterInfo info{};
        if (editController->getParameterInfo(i, info) == kResultOk) list.push_back(info);
    }
    return list;
}

bool PluginInstance::findParameter(const std::string& title, ParameterInfo& info) const
{
    for (const ParameterInfo& candidate : parameters())
    {
        if (toUtf8(candidate.title) == title)
        {
            info = candidate;
            return true;
        }
    }
    return false;
}

tresult PluginInstance::processStereo(float* left, float* right, int32 samples,
                                      IParameterChanges* changes, IEventList* events)
{
    float* channels[2] = {left, right};
    AudioBusBuffers bus{};
    bus.numChannels = 2;
    bus.channelBuffers32 = channels;

    ProcessData data{};
    data.processMode = kRealtime;
    data.symbolicSampleSize = kSample32;
    data.numSamples = samples;
    data.numOutputs = 1;
    data.outputs = &bus;
    data.inputParameterChanges = changes;
    data.inputEvents = events;
    return process(data);
}

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
