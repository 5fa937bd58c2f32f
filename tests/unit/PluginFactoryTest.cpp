// SPDX-License-Identifier: GPL-3.0-or-later
// The SDK-style class factory on its own, with throw-away classes.
#include "public.sdk/source/main/pluginfactory.h"

#include "base/source/fobject.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstcomponent.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Steinberg;

namespace {

int liveObjects = 0;

class Dummy : public FObject
{
public:
    Dummy() { ++liveObjects; }
    ~Dummy() override { --liveObjects; }
};

FUnknown* createDummy(void*)
{
    return static_cast<FUnknown*>(new Dummy());
}

const FUID kFirst(1, 2, 3, 4);
const FUID kSecond(1, 2, 3, 5);

PFactoryInfo factoryInfo()
{
    return PFactoryInfo("Vendor", "https://example.org", "mailto:a@example.org",
                        PFactoryInfo::kUnicode);
}

TEST(PluginFactory, KeepsClassesInRegistrationOrderAndDescribesThem)
{
    auto* factory = new CPluginFactory(factoryInfo());
    PClassInfo2 first(kFirst.toTUID(), PClassInfo::kManyInstances, "Cat A", "First", 1, "Sub|Cat",
                      "", "1.0", "SDK 1");
    PClassInfo second(kSecond.toTUID(), 1, "Cat B", "Second");
    EXPECT_TRUE(factory->registerClass(&first, createDummy));
    EXPECT_TRUE(factory->registerClass(&second, createDummy));
    EXPECT_FALSE(factory->registerClass(&first, createDummy)); // the ID is taken
    EXPECT_FALSE(factory->registerClass(static_cast<PClassInfo2*>(nullptr), createDummy));
    EXPECT_EQ(factory->countClasses(), 2);
    EXPECT_TRUE(factory->isClassRegistered(kSecond));

    PFactoryInfo info;
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "Vendor");
    EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);

    PClassInfo2 info2;
    ASSERT_EQ(factory->getClassInfo2(0, &info2), kResultOk);
    EXPECT_STREQ(info2.name, "First");
    EXPECT_STREQ(info2.subCategories, "Sub|Cat");
    EXPECT_STREQ(info2.sdkVersion, "SDK 1");

    PClassInfoW infoW;
    ASSERT_EQ(factory->getClassInfoUnicode(1, &infoW), kResultOk);
    char name[64] = {};
    UString(infoW.name, PClassInfo::kNameSize).toAscii(name, sizeof(name));
    EXPECT_STREQ(name, "Second");
    EXPECT_STREQ(infoW.category, "Cat B");

    PClassInfo basic;
    EXPECT_EQ(factory->getClassInfo(2, &basic), kInvalidArgument);
    EXPECT_EQ(factory->getClassInfo(-1, &basic), kInvalidArgument);
    EXPECT_EQ(factory->getClassInfo(0, nullptr), kInvalidArgument);
    factory->release();
}

TEST(PluginFactory, CreatesKnownClassesAndRefusesUnknownIds)
{
    auto* factory = new CPluginFactory(factoryInfo());
    PClassInfo info(kFirst.toTUID(), 1, "Cat", "First");
    factory->registerClass(&info, createDummy);

    void* object = nullptr;
    ASSERT_EQ(factory->createInstance(kFirst.toTUID(), FUnknown::iid, &object), kResultOk);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(liveObjects, 1);
    static_cast<FUnknown*>(object)->release();
    EXPECT_EQ(liveObjects, 0);

    object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(factory->createInstance(kSecond.toTUID(), FUnknown::iid, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);

    // A known class asked for an interface it lacks: nothing is left alive.
    object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(factory->createInstance(kFirst.toTUID(), Vst::IComponent::iid, &object),
              kNoInterface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(liveObjects, 0);

    EXPECT_EQ(factory->createInstance(nullptr, FUnknown::iid, &object), kInvalidArgument);
    factory->release();
}

TEST(PluginFactory, AnswersItsThreeInterfaces)
{
    auto* factory = new CPluginFactory(factoryInfo());
    for (const FUID* iid :
         {&IPluginFactory::iid, &IPluginFactory2::iid, &IPluginFactory3::iid, &FUnknown::iid})
    {
        void* object = nullptr;
        ASSERT_EQ(factory->queryInterface(iid->toTUID(), &object), kResultOk);
        static_cast<FUnknown*>(object)->release();
    }
    void* object = nullptr;
    EXPECT_EQ(factory->queryInterface(Vst::IComponent::iid, &object), kNoInterface);
    EXPECT_EQ(factory->release(), 0u);
}

} // namespace
