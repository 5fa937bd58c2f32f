// SPDX-License-Identifier: GPL-3.0-or-later
// The built bundle as a host holds it: the module loaded and its instrument created, initialized
// and connected, its controller's edits recorded by the handler. The instance is released before
// the module that holds its code.
#pragma once

#include "ComponentHandler.h"
#include "PluginModule.h"

#include "PluginInstance.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

/** Where the build puts the bundle. */
constexpr const char* kBuiltBundlePath = BRASK_TEST_BUNDLE;

struct BuiltBundle
{
    /** Loads the module alone; false with the reason in error. */
    bool load(std::string& error)
    {
        module = Host::PluginModule::load(kBuiltBundlePath, error);
        return bool(module);
    }

    /** Loads the module and creates the instance. */
    bool open(std::string& error)
    {
        if (load(error))
            instance = Hosting::PluginInstance::create(module->factory(), &handler, error);
        return bool(instance);
    }

    /** Loads, creates and starts the instance for blocks of up to maxBlock samples. */
    bool start(double sampleRate, int32 maxBlock, std::string& error)
    {
        return open(error) && instance->start(sampleRate, maxBlock, error);
    }

    ~BuiltBundle() { instance.reset(); }

    std::unique_ptr<Host::PluginModule> module;
    Host::ComponentHandler handler;
    std::unique_ptr<Hosting::PluginInstance> instance;
};

/** The values the processor plays, as its saved state holds them (a count, 24 values and the
 *  bypass word: 200 bytes); empty when the state is not that. */
inline std::vector<double> playingValues(IComponent& component)
{
    constexpr int32 kValues = 24;
    IPtr<MemoryStream> state = owned(new MemoryStream());
    if (component.getState(state) != kResultOk || state->getSize() != 4 + 8 * kValues + 4)
        return {};
    std::vector<double> values(kValues);
    std::memcpy(values.data(), state->getData() + 4, sizeof(double) * kValues);
    return values;
}

/** What the factory says of one of its classes: the fields the processor's and the
 *  controller's class share, and the two they differ in. */
inline void expectClassInfo(const PClassInfo2& info, const char* category,
                            const char* subCategories)
{
    SCOPED_TRACE(category);
    EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
    EXPECT_STREQ(info.category, category);
    EXPECT_STREQ(info.name, "Brask");
    EXPECT_EQ(info.classFlags, 1u);
    EXPECT_STREQ(info.subCategories, subCategories);
    EXPECT_STREQ(info.vendor, "");
    EXPECT_STREQ(info.version, "1.6.06.0811");
    EXPECT_STREQ(info.sdkVersion, "VST 3.6.5");
}

/** Tests on the built bundle: its module loaded and a fresh instance created. */
class BuiltBundleTest : public ::testing::Test
{
protected:
    BuiltBundleTest() = default;
    explicit BuiltBundleTest(bool withInstance) : withInstance(withInstance) {}
    void SetUp() override
    {
        ASSERT_TRUE(withInstance ? bundle.open(error) : bundle.load(error)) << error;
    }

    std::string error;
    BuiltBundle bundle;
    std::unique_ptr<Host::PluginModule>& module = bundle.module;
    std::unique_ptr<Hosting::PluginInstance>& instance = bundle.instance;

private:
    bool withInstance = true;
};

/** Tests on the module alone, before any instance exists. */
class BuiltModuleTest : public BuiltBundleTest
{
protected:
    BuiltModuleTest() : BuiltBundleTest(false) {}
};

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
