// SPDX-License-Identifier: GPL-3.0-or-later
#include "PluginInstance.h"

#include "pluginterfaces/vst/vstspeaker.h"
#include "public.sdk/source/common/memorystream.h"

#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Host {

std::string toUtf8(const TChar* text)
{
    std::string out;
    if (!text) return out;
    for (size_t i = 0; text[i] != 0; ++i)
    {
        uint32 c = static_cast<uint16>(text[i]);
        if (c >= 0xD800 && c < 0xDC00 && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint16>(text[i + 1]) - 0xDC00);
            ++i;
        }
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c < 0x800)
        {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else if (c < 0x10000)
        {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace {

template <typename Interface>
Interface* queryFrom(FUnknown* object)
{
    void* result = nullptr;
    if (object && object->queryInterface(Interface::iid, &result) == kResultOk)
        return static_cast<Interface*>(result);
    return nullptr;
}

} // namespace

std::unique_ptr<PluginInstance> PluginInstance::create(IPluginFactory* factory, std::string& error)
{
    if (!factory)
    {
        error = "no class factory";
        return nullptr;
    }
    std::unique_ptr<PluginInstance> instance(new PluginInstance());
    instance->hostApplication.reset(new HostApplication());

    // The first audio processor class of the factory.
    IPluginFactory2* factory2 = queryFrom<IPluginFactory2>(factory);
    bool found = false;
    const int32 count = factory->countClasses();
    for (int32 i = 0; i < count && !found; ++i)
    {
        PClassInfo2 info;
        if (factory2)
        {
            if (factory2->getClassInfo2(i, &info) != kResultOk) continue;
        }
        else
        {
            PClassInfo basic;
            if (factory->getClassInfo(i, &basic) != kResultOk) continue;
            std::memcpy(info.cid, basic.cid, sizeof(TUID));
            std::memcpy(info.category, basic.category, sizeof(basic.category));
            std::memcpy(info.name, basic.name, sizeof(basic.name));
        }
        if (std::strcmp(info.category, kVstAudioEffectClass) == 0)
        {
            instance->classInfo = info;
            found = true;
        }
    }
    if (factory2) factory2->release();
    if (!found)
    {
        error = "the module holds no audio processor class";
        return nullptr;
    }

    void* object = nullptr;
    if (factory->createInstance(instance->classInfo.cid, IComponent::iid, &object) != kResultOk ||
        !object)
    {
        error = "the factory could not create the processor";
        return nullptr;
    }
    instance->pluginComponent = static_cast<IComponent*>(object);
    if (instance->pluginComponent->initialize(instance->hostApplication.get()) != kResultOk)
    {
        error = "the processor failed to initialise";
        return nullptr;
    }
    instance->componentInitialized = true;

    instance->audioProcessor = queryFrom<IAudioProcessor>(instance->pluginComponent);
    if (!instance->audioProcessor)
    {
        error = "the processor class is not an IAudioProcessor";
        return nullptr;
    }

    // The controller: a separate class, or the component itself.
    TUID controllerCid{};
    if (instance->pluginComponent->getControllerClassId(controllerCid) == kResultOk)
    {
        object = nullptr;
        if (factory->createInstance(controllerCid, IEditController::iid, &object) == kResultOk &&
            object)
            instance->editController = static_cast<IEditController*>(object);
    }
    if (!instance->editController)
    {
        instance->editController = queryFrom<IEditController>(instance->pluginComponent);
        instance->controllerIsComponent = instance->editController != nullptr;
    }
    if (!instance->editController)
    {
        error = "the module has no edit controller for its processor";
        return nullptr;
    }
    if (!instance->controllerIsComponent)
    {
        if (instance->editController->initialize(instance->hostApplication.get()) != kResultOk)
        {
            error = "the controller failed to initialise";
            return nullptr;
        }
        instance->controllerInitialized = true;
    }
    instance->editController->setComponentHandler(&instance->componentHandler);
    instance->mapping = queryFrom<IMidiMapping>(instance->editController);

    if (!instance->controllerIsComponent)
    {
        instance->componentConnection = queryFrom<IConnectionPoint>(instance->pluginComponent);
        instance->controllerConnection = queryFrom<IConnectionPoint>(instance->editController);
        if (instance->componentConnection && instance->controllerConnection)
        {
            instance->componentConnection->connect(instance->controllerConnection);
            instance->controllerConnection->connect(instance->componentConnection);
        }
    }

    instance->syncControllerFromProcessor();
    return instance;
}

PluginInstance::~PluginInstance()
{
    stop();
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

bool PluginInstance::start(double sampleRate, int32 maxSamplesPerBlock, std::string& error)
{
    if (started) return true;

    SpeakerArrangement output = SpeakerArr::kStereo;
    if (audioProcessor->setBusArrangements(nullptr, 0, &output, 1) != kResultTrue)
    {
        error = "the processor refused a stereo output";
        return false;
    }

    ProcessSetup setup{};
    setup.processMode = kOffline;
    setup.symbolicSampleSize = kSample32;
    setup.maxSamplesPerBlock = maxSamplesPerBlock;
    setup.sampleRate = sampleRate;
    if (audioProcessor->setupProcessing(setup) != kResultOk)
    {
        error = "the processor refused the processing setup";
        return false;
    }

    for (int32 i = 0; i < pluginComponent->getBusCount(kAudio, kOutput); ++i)
        pluginComponent->activateBus(kAudio, kOutput, i, true);
    for (int32 i = 0; i < pluginComponent->getBusCount(kEvent, kInput); ++i)
        pluginComponent->activateBus(kEvent, kInput, i, true);

    if (pluginComponent->setActive(true) != kResultOk)
    {
        error = "the processor could not be activated";
        return false;
    }
    audioProcessor->setProcessing(true); // kNotImplemented is a valid answer
    started = true;
    return true;
}

void PluginInstance::stop()
{
    if (!started) return;
    audioProcessor->setProcessing(false);
    pluginComponent->setActive(false);
    started = false;
}

bool PluginInstance::syncControllerFromProcessor()
{
    if (controllerIsComponent) return true;
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    if (pluginComponent->getState(stream) != kResultOk) return false;
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    return editController->setComponentState(stream) == kResultOk;
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

} // namespace Host
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
