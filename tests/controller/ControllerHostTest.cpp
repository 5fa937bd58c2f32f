// SPDX-License-Identifier: GPL-3.0-or-later
// The controller as a host meets it: the built bundle loaded, its factory asked, processor and
// controller created, connected and synchronised through the host layer.
#include "BraskCids.h"
#include "PluginInstance.h"
#include "PluginModule.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

class LoadedBundle : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        module = Host::PluginModule::load(BRASK_TEST_BUNDLE, error);
        ASSERT_TRUE(module) << error;
    }

    std::unique_ptr<Host::PluginInstance> createInstance()
    {
        std::string error;
        auto instance = Host::PluginInstance::create(module->factory(), error);
        EXPECT_TRUE(instance) << error;
        return instance;
    }

    std::unique_ptr<Host::PluginModule> module;
};

TEST_F(LoadedBundle, TheFactoryOffersProcessorThenController)
{
    IPluginFactory* factory = module->factory();
    ASSERT_EQ(factory->countClasses(), 2);

    FUnknownPtr<IPluginFactory2> factory2(factory);
    ASSERT_TRUE(factory2);
    PClassInfo2 processor{};
    ASSERT_EQ(factory2->getClassInfo2(0, &processor), kResultOk);
    EXPECT_STREQ(processor.category, "Audio Module Class");

    PClassInfo2 controller{};
    ASSERT_EQ(factory2->getClassInfo2(1, &controller), kResultOk);
    EXPECT_EQ(FUID::fromTUID(controller.cid), kBraskControllerWithUIUID);
    EXPECT_EQ(controller.cardinality, 0x7FFFFFFF);
    EXPECT_STREQ(controller.category, "Component Controller Class");
    EXPECT_STREQ(controller.name, "Brask");
    EXPECT_EQ(controller.classFlags, 1u);
    EXPECT_STREQ(controller.subCategories, "");
    EXPECT_STREQ(controller.version, "1.6.06.0811");
    EXPECT_STREQ(controller.sdkVersion, "VST 3.6.5");

    PClassInfo basic{};
    ASSERT_EQ(factory->getClassInfo(1, &basic), kResultOk);
    EXPECT_EQ(FUID::fromTUID(basic.cid), kBraskControllerWithUIUID);
    EXPECT_STREQ(basic.category, "Component Controller Class");

    FUnknownPtr<IPluginFactory3> factory3(factory);
    ASSERT_TRUE(factory3);
    PClassInfoW wide{};
    ASSERT_EQ(factory3->getClassInfoUnicode(1, &wide), kResultOk);
    EXPECT_EQ(Host::toUtf8(wide.name), "Brask");
    EXPECT_EQ(Host::toUtf8(wide.version), "1.6.06.0811");

    // The processor names class 1 as its controller.
    auto instance = createInstance();
    ASSERT_TRUE(instance);
    TUID controllerClass{};
    ASSERT_EQ(instance->component()->getControllerClassId(controllerClass), kResultOk);
    EXPECT_EQ(FUID::fromTUID(controllerClass), kBraskControllerWithUIUID);
}

TEST_F(LoadedBundle, ProcessorAndControllerAreConnectedBothWays)
{
    auto instance = createInstance();
    ASSERT_TRUE(instance);
    FUnknownPtr<IConnectionPoint> processorSide(instance->component());
    FUnknownPtr<IConnectionPoint> controllerSide(instance->controller());
    ASSERT_TRUE(processorSide);
    ASSERT_TRUE(controllerSide);
    // Each side already has its peer, so a second connection is refused on both.
    EXPECT_EQ(processorSide->connect(controllerSide), kResultFalse);
    EXPECT_EQ(controllerSide->connect(processorSide), kResultFalse);
    ASSERT_TRUE(instance->midiMapping());
    ParamID id = 0;
    EXPECT_EQ(instance->midiMapping()->getMidiControllerAssignment(0, 0, 1, id), kResultOk);
    EXPECT_EQ(id, 0x6D6F6477u);
}

TEST_F(LoadedBundle, TheControllerShowsTheProcessorsValuesNotItsDefaults)
{
    auto instance = createInstance();
    ASSERT_TRUE(instance);
    IEditController* controller = instance->controller();

    ParameterInfo mix{};
    ASSERT_TRUE(instance->findParameter("OSC Mix", mix));
    EXPECT_DOUBLE_EQ(mix.defaultNormalizedValue, 0.15);
    EXPECT_EQ(controller->getParamNormalized(mix.id), 1.0);

    // Every sound parameter holds exactly what the processor stores.
    IPtr<MemoryStream> state = owned(new MemoryStream());
    ASSERT_EQ(instance->component()->getState(state), kResultOk);
    int64 size = 0;
    state->seek(0, IBStream::kIBSeekEnd, &size);
    ASSERT_EQ(size, 200);
    const auto* bytes = reinterpret_cast<const uint8*>(state->getData());
    int32 count = 0;
    std::memcpy(&count, bytes, 4);
    ASSERT_EQ(count, 24);
    for (int32 i = 0; i < 24; ++i)
    {
        double stored = 0.0;
        std::memcpy(&stored, bytes + 4 + 8 * i, 8);
        EXPECT_EQ(controller->getParamNormalized(i), stored) << "parameter " << i;
    }
}

/** Stands between processor and controller and writes down what passes. */
class MessageTap : public IConnectionPoint
{
public:
    struct Seen
    {
        std::string id;
        double sampleRate;
        tresult answer;
    };

    explicit MessageTap(IConnectionPoint* controller) : controller(controller) {}
    virtual ~MessageTap() = default;

    tresult PLUGIN_API connect(IConnectionPoint*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API disconnect(IConnectionPoint*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API notify(IMessage* message) SMTG_OVERRIDE
    {
        Seen entry{message->getMessageID() ? message->getMessageID() : "", -1.0, kResultFalse};
        if (IAttributeList* attributes = message->getAttributes())
            attributes->getFloat("SampleRate", entry.sampleRate);
        entry.answer = controller->notify(message);
        seen.push_back(entry);
        return entry.answer;
    }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE
    {
        QUERY_INTERFACE(iid, obj, FUnknown::iid, IConnectionPoint)
        QUERY_INTERFACE(iid, obj, IConnectionPoint::iid, IConnectionPoint)
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }

    std::vector<Seen> seen;

private:
    IConnectionPoint* controller;
};

TEST_F(LoadedBundle, ActivationTellsTheControllerTheSampleRate)
{
    // The tap outlives the instance, which disconnects from it on terminate.
    std::unique_ptr<MessageTap> tap;
    auto instance = createInstance();
    ASSERT_TRUE(instance);
    FUnknownPtr<IConnectionPoint> processorSide(instance->component());
    FUnknownPtr<IConnectionPoint> controllerSide(instance->controller());
    tap = std::make_unique<MessageTap>(controllerSide);
    ASSERT_EQ(processorSide->disconnect(controllerSide), kResultOk);
    ASSERT_EQ(processorSide->connect(tap.get()), kResultOk);

    std::string error;
    ASSERT_TRUE(instance->start(48000.0, 256, error)) << error;
    ASSERT_EQ(tap->seen.size(), 1u);
    EXPECT_EQ(tap->seen[0].id, "activated");
    EXPECT_EQ(tap->seen[0].sampleRate, 48000.0);
    EXPECT_EQ(tap->seen[0].answer, kResultOk); // the controller took it as its own

    instance->stop();
    EXPECT_EQ(tap->seen.size(), 1u); // deactivation sends nothing
    ASSERT_TRUE(instance->start(96000.0, 256, error)) << error;
    ASSERT_EQ(tap->seen.size(), 2u);
    EXPECT_EQ(tap->seen[1].sampleRate, 96000.0);
    EXPECT_EQ(tap->seen[1].answer, kResultOk);

    instance.reset();
}

} // namespace
