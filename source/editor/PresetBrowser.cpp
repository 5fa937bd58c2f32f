// SPDX-License-Identifier: GPL-3.0-or-later
#include "PresetBrowser.h"

#include "ProcessorState.h"

#include "public.sdk/source/common/memorystream.h"

#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

/** Hosts that keep parameter values in single precision hand them back rounded: a difference
    below this is no change of the sound. */
constexpr double kUnchanged = 1e-6;

/** Whether `a` and `b` set `parameter` alike: equal but for single-precision rounding, or, for a
    stepped parameter, on the same step. Hosts that keep a stepped parameter by its step (Ardour
    does) hand back that step's own value, not the preset's (0.2 for a preset's 0.3). */
bool sameSetting(const Parameter* parameter, double a, double b)
{
    if (std::fabs(a - b) < kUnchanged) return true;
    return parameter && parameter->getInfo().stepCount > 0 &&
           parameter->toPlain(a) == parameter->toPlain(b);
}

} // namespace

PresetBrowser::PresetBrowser(EditController& controller, std::filesystem::path userFolder)
    : controller(&controller), presets(std::move(userFolder))
{}

void PresetBrowser::refresh()
{
    presets.refresh();
    currentIndex = loadedName.empty() ? -1 : presets.find(loadedName, loadedCategory);
}

bool PresetBrowser::load(int32 index)
{
    if (index < 0 || static_cast<size_t>(index) >= presets.presets().size()) return false;
    const LibraryPreset& preset = presets.presets()[static_cast<size_t>(index)];

    FUnknownPtr<IComponentHandler2> group(controller->getComponentHandler());
    if (group) group->startGroupEdit();
    for (int32 id = 0; id < kSoundParamCount; ++id)
    {
        const double value = preset.values[static_cast<size_t>(id)];
        if (std::isnan(value)) continue; // not in the preset's state: keeps what plays
        const auto paramId = static_cast<ParamID>(id);
        controller->beginEdit(paramId);
        controller->setParamNormalized(paramId, value);
        controller->performEdit(paramId, value);
        controller->endEdit(paramId);
    }
    if (group) group->finishGroupEdit();

    remember(preset.name, preset.category);
    return true;
}

bool PresetBrowser::step(int32 direction)
{
    const auto count = static_cast<int32>(presets.presets().size());
    if (count == 0 || direction == 0) return false;
    int32 next = 0;
    if (currentIndex < 0)
        next = direction > 0 ? 0 : count - 1;
    else
        next = ((currentIndex + (direction > 0 ? 1 : -1)) % count + count) % count;
    return load(next);
}

bool PresetBrowser::isModified() const
{
    if (loadedName.empty()) return false;
    const std::array<double, kSoundParamCount> now = soundValues();
    for (size_t i = 0; i < now.size(); ++i)
    {
        const Parameter* parameter = controller->getParameterObject(static_cast<ParamID>(i));
        if (!sameSetting(parameter, now[i], loadedValues[i])) return true;
    }
    return false;
}

std::vector<uint8_t> PresetBrowser::componentState() const
{
    const std::array<double, kSoundParamCount> values = soundValues();
    Presets::ProcessorState state;
    state.values.assign(values.begin(), values.end());
    state.bypass = 0;
    return state.bytes();
}

std::vector<uint8_t> PresetBrowser::controllerState() const
{
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    if (controller->getState(stream) != kResultOk) return {};
    const auto* begin = reinterpret_cast<const uint8_t*>(stream->getData());
    return std::vector<uint8_t>(begin, begin + stream->getSize());
}

bool PresetBrowser::save(const std::string& typed, bool replace, std::string& error)
{
    const std::string name = PresetLibrary::tidyName(typed);
    if (!presets.saveUserPreset(name, componentState(), controllerState(), replace, error))
        return false;
    presets.refresh();
    remember(name, PresetLibrary::kUserCategory);
    return true;
}

void PresetBrowser::remember(const std::string& name, const std::string& category)
{
    loadedName = name;
    loadedCategory = category;
    currentIndex = presets.find(name, category);
    loadedValues = soundValues();
    if (loaded) loaded();
}

std::array<double, kSoundParamCount> PresetBrowser::soundValues() const
{
    std::array<double, kSoundParamCount> values{};
    for (int32 id = 0; id < kSoundParamCount; ++id)
        values[static_cast<size_t>(id)] = controller->getParamNormalized(static_cast<ParamID>(id));
    return values;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
