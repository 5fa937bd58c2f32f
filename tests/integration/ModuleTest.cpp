// SPDX-License-Identifier: GPL-3.0-or-later
// The built bundle, loaded as a host loads it: entry points, factory and the processor class.
#include "BraskCids.h"
#include "BuiltBundle.h"
#include "EventList.h"
#include "ParameterChanges.h"
#include "ProcessBuffers.h"
#include "ShownText.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(TestSupport::ascii(infoW.name), "Brask");
    EXPECT_EQ(TestSupport::ascii(infoW.version), "1.6.06.0811");
    EXPECT_EQ(TestSupport::ascii(infoW.sdkVersion), "VST 3.6.5");
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

TEST_F(Bundle, ProcessesBlocksOfAnySizeThroughTheHostLayer)
{
    auto instance = Host::PluginInstance::create(module->factory(), error);
    ASSERT_TRUE(instance) << error;
    ASSERT_TRUE(instance->start(44100.0, 512, error)) << error;

    Host::ProcessBuffers buffers(1024);
    Host::ParameterChanges changes;
    Host::EventList events;
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

} // namespace
