// SPDX-License-Identifier: GPL-3.0-or-later
// The editor controller as a host holds it: initialised before each test, terminated after, and
// with its user presets either in a scratch folder of the test's own or nowhere.
#pragma once

#include "BraskControllerWithUI.h"
#include "ScratchFolder.h"
#include "TestHosts.h"

#include "editor/VST3Editor.h"

#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class ControllerWithUITest : public ::testing::Test
{
protected:
    /** User presets in a fresh folder "<prefix>-<test>-<pid>", or none for an empty prefix. */
    explicit ControllerWithUITest(const std::string& userFolderPrefix)
    {
        if (!userFolderPrefix.empty()) folder.emplace(userFolderPrefix);
        controller = owned(new BraskControllerWithUI(userPresets()));
    }
    std::filesystem::path userPresets() const
    {
        return folder ? folder->path : std::filesystem::path{};
    }
    void SetUp() override { ASSERT_EQ(controller->initialize(host.context()), kResultOk); }
    void TearDown() override { controller->terminate(); }

    VSTGUI::VST3Editor* openEditor(IPtr<IPlugView>& view)
    {
        view = owned(controller->createView(ViewType::kEditor));
        return dynamic_cast<VSTGUI::VST3Editor*>(view.get());
    }

    std::optional<TestSupport::ScratchFolder> folder;
    EditorTest::TestHost host{false};
    IPtr<BraskControllerWithUI> controller;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
