// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's class in the factory and its create function, in-process.
#include "BraskCids.h"
#include "BraskFactory.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

TEST(ControllerClass, DescribesTheEditControllerWithEditor)
{
    const PClassInfo2& info = controllerClassInfo();
    EXPECT_EQ(FUID::fromTUID(info.cid), kBraskControllerWithUIUID);
    EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
    EXPECT_STREQ(info.category, "Component Controller Class");
    EXPECT_STREQ(info.name, "Brask");
    EXPECT_EQ(info.classFlags, 1u);
    EXPECT_STREQ(info.subCategories, "");
    EXPECT_STREQ(info.vendor, "");
    EXPECT_STREQ(info.version, "1.6.06.0811");
    EXPECT_STREQ(info.sdkVersion, "VST 3.6.5");
}

TEST(ControllerClass, CreatesAWorkingControllerWithoutAnEditorYet)
{
    FUnknown* created = createControllerInstance(nullptr);
    ASSERT_NE(created, nullptr);
    // The pointer handed out is the IEditController interface itself.
    void* edit = nullptr;
    ASSERT_EQ(created->queryInterface(IEditController::iid, &edit), kResultOk);
    EXPECT_EQ(edit, static_cast<void*>(created));
    auto* controller = static_cast<IEditController*>(edit);
    controller->release();

    ASSERT_EQ(controller->initialize(nullptr), kResultOk);
    EXPECT_EQ(controller->getParameterCount(), 30);
    EXPECT_EQ(controller->createView(ViewType::kEditor), nullptr);
    EXPECT_EQ(controller->createView(nullptr), nullptr);
    EXPECT_EQ(controller->terminate(), kResultOk);
    EXPECT_EQ(controller->release(), 0u);
}

} // namespace
