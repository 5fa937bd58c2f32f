// SPDX-License-Identifier: GPL-3.0-or-later
// The built bundle, loaded as a host loads it: entry points, factory and the processor class;
// then processor and controller created, connected and synchronised through the host layer, as
// a host meets the controller.
#include "BraskCids.h"
#include "BuiltBundle.h"
#include "EventList.h"
#include "ParameterChanges.h"
#include "ProcessBuffers.h"
#include "ShownText.h"
#include "Utf16.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

using Bundle = TestSupport::BuiltModuleTest;

TEST_F(Bundle, FactoryDescribesTheVendor)
{
    PFactoryInfo info;
    ASSERT_EQ(module->factory()->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "Tarvik");
    EXPECT_EQ(std::strncmp(info.url, "https://", 8), 0);
    EXPECT_EQ(std::strncmp(info.email, "mailto:", 7), 0);
    EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
}

TEST_F(Bundle, ClassZeroIsTheProcessor)
{
    FUnknownPtr<IPluginFactory3> factory3(module->factory());
    ASSERT_TRUE(factory3);
    ASSERT_GE(factory3->countClasses(), 1);

    PClassInfo2 info;
    ASSERT_EQ(factory3->getClassInfo2(0, &info), kResultOk);
    EXPECT_TRUE(kBraskProcessorUID == FUID::fromTUID(info.cid));
    TestSupport::expectClassInfo(info, "Audio Module Class", "Instrument|Synth");

    PClassInfoW infoW;
    ASSERT_EQ(factory3->getClassInfoUnicode(0, &infoW), kResultOk);
    EXPECT_EQ(Hosting::toUtf8(infoW.name, PClassInfo::kNameSize), "Brask");
    EXPECT_EQ(Hosting::toUtf8(infoW.version, PClassInfo2::kVersionSize), "1.6.06.0811");
    EXPECT_EQ(Hosting::toUtf8(infoW.sdkVersion, PClassInfo2::kVersionSize), "VST 3.6.5");
    EXPECT_STREQ(infoW.subCategories, "Instrument|Synth");
}

TEST_F(Bundle, RepeatedFactoryCallsShareOneObject)
{
    using GetFactory = IPluginFactory*(PLUGIN_API*)();
    auto get = reinterpret_cast<GetFactory>(module->symbol("GetPluginFactory"));
    ASSERT_NE(get, nullptr);
    IPluginFactory* again = get();
    EXPECT_EQ(again, module->factory());
    // The module holds one reference and this call added one: a further addRef makes three.
    EXPECT_EQ(again->addRef(), 3u);
    again->release();
    again->release();
}

TEST_F(Bundle, EntryHooksAnswerTrueInAnyOrder)
{
    using Hook = bool (*)();
    auto initDll = reinterpret_cast<Hook>(module->symbol("InitDll"));
    auto exitDll = reinterpret_cast<Hook>(module->symbol("ExitDll"));
    ASSERT_TRUE(initDll && exitDll);
    EXPECT_TRUE(exitDll());
    EXPECT_TRUE(initDll());
    EXPECT_TRUE(initDll());
    EXPECT_TRUE(exitDll());
    // The VST 2 entry lives beside them, where the build has it.
    EXPECT_EQ(module->symbol("VSTPluginMain") != nullptr, bool(BRASK_BUNDLE_HAS_VST2));
}

TEST_F(Bundle, UnknownClassesAndInterfacesAreRefused)
{
    const FUID unknown(0x54617276, 0x42726173, 1, 2);
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(module->factory()->createInstance(unknown.toTUID(), IComponent::iid, &object),
              kNoInterface);
    EXPECT_EQ(object, nullptr);

    object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(module->factory()->createInstance(kBraskProcessorUID.toTUID(), IEditController::iid,
                                                &object),
              kNoInterface);
    EXPECT_EQ(object, nullptr);

    ASSERT_EQ(module->factory()->createInstance(kBraskProcessorUID.toTUID(), IAudioProcessor::iid,
                                                &object),
              kResultOk);
    auto* processor = static_cast<IAudioProcessor*>(object);
    FUnknownPtr<IComponent> component(processor);
    ASSERT_TRUE(component);
    TUID cid{};
    ASSERT_EQ(component->getControllerClassId(cid), kResultOk);
    EXPECT_TRUE(kBraskControllerWithUIUID == FUID::fromTUID(cid));
    processor->release();
}

TEST_F(Bundle, TheHostingKitCreatesTheInstanceByFirstClassOrByClassId)
{
    const FUID unknown(0x54617276, 0x42726173, 1, 2);
    const struct
    {
        const char* what;
        const FUID* classId; // null: the first audio class
        const char* error;   // null: created
    } cases[] = {
        {"the first audio class", nullptr, nullptr},
        {"the processor's class ID", &kBraskProcessorUID, nullptr},
        {"the controller's class ID", &kBraskControllerWithUIUID,
         "the factory could not create the processor"},
        {"an unknown class ID", &unknown, "the factory could not create the processor"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string error;
        std::unique_ptr<Hosting::PluginInstance> instance =
            c.classId ? Hosting::PluginInstance::create(module->factory(), c.classId->toTUID(),
                                                        nullptr, error)
                      : Hosting::PluginInstance::create(module->factory(), nullptr, error);
        EXPECT_EQ(error, c.error ? c.error : "");
        if (c.error)
        {
            EXPECT_FALSE(instance);
            continue;
        }
        ASSERT_TRUE(instance);
        EXPECT_TRUE(kBraskProcessorUID == FUID::fromTUID(instance->processorClass().cid));
        EXPECT_STREQ(instance->processorClass().name, "Brask");
        EXPECT_TRUE(instance->controller() && instance->midiMapping());
        // The processor takes its own state back and refuses a damaged one.
        std::vector<uint8> state;
        ASSERT_TRUE(instance->processorState(state));
        EXPECT_TRUE(instance->restoreProcessorState(state));
        EXPECT_FALSE(instance->restoreProcessorState({1, 2, 3}));
    }
}

TEST_F(Bundle, ProcessesBlocksOfAnySizeThroughTheHostLayer)
{
    auto instance = Hosting::PluginInstance::create(module->factory(), nullptr, error);
    ASSERT_TRUE(instance) << error;
    ASSERT_TRUE(instance->start(44100.0, 512, error)) << error;

    Host::ProcessBuffers buffers(1024);
    Hosting::ParameterChanges changes;
    Hosting::EventList events;
    for (int32 n : {1, 7, 512, 0, 333})
    {
        buffers.fill(1.0f);
        instance->process(buffers.prepare(n, &changes, &events));
        for (int32 i = 0; i < n; ++i)
        {
            ASSERT_EQ(buffers.channel(0)[i], 0.0f);
            ASSERT_EQ(buffers.channel(1)[i], 0.0f);
        }
        if (n > 0)
        {
            EXPECT_EQ(buffers.silenceFlags(), 3u);
        }
    }
    instance->stop();
}

using LoadedBundle = TestSupport::BuiltBundleTest;

TEST_F(LoadedBundle, TheFactoryOffersProcessorThenController)
{
    ASSERT_EQ(module->factory()->countClasses(), 2);
    PClassInfo2 processor{}, controller{};
    FUnknownPtr<IPluginFactory2> factory(module->factory());
    ASSERT_EQ(factory->getClassInfo2(0, &processor), kResultOk);
    ASSERT_EQ(factory->getClassInfo2(1, &controller), kResultOk);
    EXPECT_STREQ(processor.category, "Audio Module Class");
    EXPECT_EQ(FUID::fromTUID(controller.cid), kBraskControllerWithUIUID);
    TestSupport::expectClassInfo(controller, "Component Controller Class", "");

    // The processor names class 1 as its controller, which opens its editor for "editor" only
    // (in a build with the editor).
    TUID controllerClass{};
    ASSERT_EQ(instance->component()->getControllerClassId(controllerClass), kResultOk);
    EXPECT_EQ(FUID::fromTUID(controllerClass), kBraskControllerWithUIUID);
    IPtr<IPlugView> editor = owned(instance->controller()->createView(ViewType::kEditor));
    EXPECT_EQ(bool(editor), bool(BRASK_BUNDLE_HAS_EDITOR));
    EXPECT_EQ(instance->controller()->createView("Editor"), nullptr);
    EXPECT_TRUE(FUnknownPtr<IUnitInfo>(instance->controller()));
    EXPECT_TRUE(instance->midiMapping());
}

TEST_F(LoadedBundle, ControllerIsConnectedAndHoldsTheProcessorsValues)
{
    FUnknownPtr<IConnectionPoint> processorSide(instance->component());
    FUnknownPtr<IConnectionPoint> controllerSide(instance->controller());
    // Each side has its peer already, so a second connection is refused on both.
    EXPECT_EQ(processorSide->connect(controllerSide), kResultFalse);
    EXPECT_EQ(controllerSide->connect(processorSide), kResultFalse);

    const std::vector<double> playing = TestSupport::playingValues(*instance->component());
    ASSERT_EQ(playing.size(), 24u);
    for (int32 i = 0; i < 24; ++i)
    {
        const double stored = playing[std::size_t(i)];
        EXPECT_EQ(instance->controller()->getParamNormalized(i), stored) << "parameter " << i;
        // A reset to default gives the sound a new instance plays.
        ParameterInfo info{};
        ASSERT_EQ(instance->controller()->getParameterInfo(i, info), kResultOk);
        EXPECT_EQ(info.defaultNormalizedValue, stored) << "parameter " << i;
    }
}

TEST_F(LoadedBundle, ProcessorAndControllerTakeAStateAlike)
{
    // What plays and what hosts show must not part: both sides refuse the same streams and keep
    // the same values.
    auto stream = [](int32 count, std::vector<double> values, bool bypassWord) {
        IPtr<MemoryStream> bytes = owned(new MemoryStream());
        bytes->write(&count, 4, nullptr); // the test machine is little-endian
        for (double value : values)
            bytes->write(&value, 8, nullptr);
        int32 word = 0;
        if (bypassWord) bytes->write(&word, 4, nullptr);
        return bytes;
    };
    std::vector<double> intact(24, 0.125);
    std::vector<double> damaged = intact;
    damaged[6] = 5.0; // VCF Freq
    damaged[7] = std::nan("");
    damaged[8] = -1.0;
    std::vector<double> longer(30, 0.375);
    struct Case
    {
        const char* name;
        IPtr<MemoryStream> bytes;
        tresult result;
    };
    const Case cases[] = {
        {"intact", stream(24, intact, true), kResultOk},
        {"values out of range", stream(24, damaged, true), kResultOk},
        {"a newer version's longer state", stream(30, longer, true), kResultOk},
        {"negative count", stream(-1, intact, true), kResultFalse},
        {"zero count", stream(0, {}, true), kResultFalse},
        {"no bypass word", stream(24, intact, false), kResultFalse},
        {"one byte", nullptr, kResultFalse},
    };
    for (const Case& c : cases)
    {
        IPtr<MemoryStream> bytes = c.bytes ? c.bytes : owned(new MemoryStream());
        if (!c.bytes) bytes->write(const_cast<char*>("\x18"), 1, nullptr);
        // Both start from a state that differs from every case.
        IPtr<MemoryStream> before = stream(24, std::vector<double>(24, 0.625), true);
        before->seek(0, IBStream::kIBSeekSet, nullptr);
        ASSERT_EQ(instance->component()->setState(before), kResultOk);
        ASSERT_TRUE(instance->syncControllerFromProcessor());

        bytes->seek(0, IBStream::kIBSeekSet, nullptr);
        EXPECT_EQ(instance->component()->setState(bytes), c.result) << c.name;
        bytes->seek(0, IBStream::kIBSeekSet, nullptr);
        EXPECT_EQ(instance->controller()->setComponentState(bytes), c.result) << c.name;
        const std::vector<double> playing = TestSupport::playingValues(*instance->component());
        ASSERT_EQ(playing.size(), 24u);
        for (int32 id = 0; id < 24; ++id)
        {
            EXPECT_EQ(instance->controller()->getParamNormalized(id), playing[std::size_t(id)])
                << c.name << ": parameter " << id;
        }
    }
}

/** Stands between processor and controller and writes down what passes. */
struct MessageTap : public IConnectionPoint
{
    IConnectionPoint* controller;
    std::string seen;
    explicit MessageTap(IConnectionPoint* controller) : controller(controller) {}
    virtual ~MessageTap() = default;
    tresult PLUGIN_API connect(IConnectionPoint*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API disconnect(IConnectionPoint*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API notify(IMessage* message) SMTG_OVERRIDE
    {
        double rate = -1.0;
        message->getAttributes()->getFloat("SampleRate", rate);
        const tresult answer = controller->notify(message);
        seen += std::string(message->getMessageID()) + " " + std::to_string(int(rate)) +
                (answer == kResultOk ? " taken; " : " refused; ");
        return answer;
    }
    tresult PLUGIN_API queryInterface(const TUID, void**) SMTG_OVERRIDE { return kNoInterface; }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }
};

TEST_F(LoadedBundle, ActivationTellsTheControllerTheSampleRate)
{
    FUnknownPtr<IConnectionPoint> processorSide(instance->component());
    FUnknownPtr<IConnectionPoint> controllerSide(instance->controller());
    MessageTap tap(controllerSide);
    ASSERT_EQ(processorSide->disconnect(controllerSide), kResultOk);
    ASSERT_EQ(processorSide->connect(&tap), kResultOk);

    ASSERT_TRUE(instance->start(48000.0, 256, error)) << error;
    instance->stop();
    ASSERT_TRUE(instance->start(96000.0, 256, error)) << error;
    EXPECT_EQ(tap.seen, "activated 48000 taken; activated 96000 taken; ");
    instance.reset(); // disconnects from the tap while it still exists
}

} // namespace
