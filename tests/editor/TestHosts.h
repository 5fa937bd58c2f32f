// SPDX-License-Identifier: GPL-3.0-or-later
// Host contexts for editor tests: the host application, optionally with IInterAppAudioHost and
// a preset manager that counts what it is asked. They live on the test's stack, so their
// reference counting does nothing.
#pragma once

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstinterappaudio.h"

namespace EditorTest {

using namespace Steinberg;
using namespace Steinberg::Vst;

struct PresetCalls
{
    int loads = 0, saves = 0, alive = 0;
};

class TestPresetManager final : public IInterAppAudioPresetManager
{
public:
    explicit TestPresetManager(PresetCalls& calls) : calls(calls) { ++calls.alive; }
    tresult PLUGIN_API runLoadPresetBrowser() override { return ++calls.loads, kResultOk; }
    tresult PLUGIN_API runSavePresetBrowser() override { return ++calls.saves, kResultOk; }
    tresult PLUGIN_API loadNextPreset() override { return kNotImplemented; }
    tresult PLUGIN_API loadPreviousPreset() override { return kNotImplemented; }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override
    {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return ++references; }
    uint32 PLUGIN_API release() override
    {
        if (--references > 0) return references;
        --calls.alive;
        delete this;
        return 0;
    }

private:
    PresetCalls& calls;
    uint32 references = 1;
};

class TestHost : public IHostApplication, public IInterAppAudioHost
{
public:
    explicit TestHost(bool interAppAudio = true) : interAppAudio(interAppAudio) {}
    FUnknown* context() { return static_cast<IHostApplication*>(this); }

    bool interAppAudio;

    int32 screenRight = 1024;
    bool screenFails = false;
    int settingsShown = 0;
    int presetManagersCreated = 0;
    FUID presetClass;
    PresetCalls presets;

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
            FUnknownPrivate::iidEqual(iid, IHostApplication::iid))
            return *obj = static_cast<IHostApplication*>(this), kResultOk;
        if (interAppAudio && FUnknownPrivate::iidEqual(iid, IInterAppAudioHost::iid))
            return *obj = static_cast<IInterAppAudioHost*>(this), kResultOk;
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    tresult PLUGIN_API getName(String128 name) override
    {
        UString(name, 128).fromAscii("Brask test host");
        return kResultOk;
    }
    tresult PLUGIN_API createInstance(TUID, TUID, void** obj) override
    {
        *obj = nullptr;
        return kResultFalse;
    }

    tresult PLUGIN_API getScreenSize(ViewRect* size, float* scale) override
    {
        if (screenFails) return kResultFalse;
        size->right = screenRight;
        *scale = 1.f;
        return kResultOk;
    }
    tresult PLUGIN_API connectedToHost() override { return kResultFalse; }
    tresult PLUGIN_API switchToHost() override { return kResultFalse; }
    tresult PLUGIN_API sendRemoteControlEvent(uint32) override { return kResultFalse; }
    tresult PLUGIN_API getHostIcon(void**) override { return kResultFalse; }
    tresult PLUGIN_API scheduleEventFromUI(Event&) override { return kResultFalse; }
    IInterAppAudioPresetManager* PLUGIN_API createPresetManager(const TUID& cid) override
    {
        ++presetManagersCreated;
        presetClass = FUID::fromTUID(cid);
        return new TestPresetManager(presets);
    }
    tresult PLUGIN_API showSettingsView() override { return ++settingsShown, kResultOk; }
};

} // namespace EditorTest
