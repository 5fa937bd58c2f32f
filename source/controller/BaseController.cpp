// SPDX-License-Identifier: GPL-3.0-or-later
#include "BaseController.h"

#include "IndexedParameter.h"
#include "ParameterText.h"
#include "StreamIO.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstmessage.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

BaseController::BaseController()
{
    std::fill(std::begin(midiMapping), std::end(midiMapping), kUnassigned);
}

BaseController::~BaseController() = default;

tresult PLUGIN_API BaseController::queryInterface(const TUID iid, void** obj)
{
    QUERY_INTERFACE(iid, obj, IMidiMapping::iid, IMidiMapping)
    QUERY_INTERFACE(iid, obj, IUnitInfo::iid, IUnitInfo)
    return EditController::queryInterface(iid, obj);
}

tresult PLUGIN_API BaseController::initialize(FUnknown* context)
{
    const tresult result = EditControllerEx1::initialize(context);
    if (result != kResultOk) return result;

    UnitInfo rootInfo{};
    rootInfo.id = kRootUnitId;
    rootInfo.parentUnitId = kNoParentUnitId;
    UString(rootInfo.name, str16BufferSize(String128)).assign(STR16("Root"));
    rootInfo.programListId = static_cast<ProgramListID>(kPresetId);
    addUnit(new Unit(rootInfo));

    if (addBypassParameter)
    {
        auto* bypass = new IndexedParameter(STR16("Bypass"), nullptr, 1, 0.0,
                                            ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass,
                                            kBypassId, kRootUnitId);
        bypass->setString(0, STR16("off"));
        bypass->setString(1, STR16("on"));
        parameters.addParameter(bypass);
    }
    return kResultOk;
}

tresult PLUGIN_API BaseController::notify(IMessage* message)
{
    if (message)
    {
        const FIDString messageId = message->getMessageID();
        if (messageId && std::strcmp(messageId, "activated") == 0)
        {
            double sampleRate = 0.0;
            IAttributeList* attributes = message->getAttributes();
            if (attributes && attributes->getFloat("SampleRate", sampleRate) == kResultOk)
                processorSampleRate = sampleRate;
            return kResultOk;
        }
        // The base reads a text message's attributes without checking that there are any.
        if (!message->getAttributes()) return kResultFalse;
    }
    return EditControllerEx1::notify(message);
}

tresult PLUGIN_API BaseController::setComponentState(IBStream* state)
{
    if (!state) return kInvalidArgument;
    // The stream comes from a saved project or preset and may be damaged. The processor's rules
    // hold here too, so that what hosts show is what plays: a stream is taken whole or not at
    // all, and a value that is no setting keeps the previous one. Reading stops at the first
    // field that cannot be read, so a damaged count cannot keep it going for billions of reads.
    int32 count = 0;
    if (!readInt32LE(state, count) || count <= 0) return kResultFalse;
    std::vector<std::pair<ParamID, ParamValue>> values;
    for (int32 i = 0; i < count; ++i)
    {
        double value = 0.0;
        if (!readDoubleLE(state, value)) return kResultFalse;
        const auto id = static_cast<ParamID>(i);
        if (value >= 0.0 && value <= 1.0 && getParameterObject(id)) values.emplace_back(id, value);
    }
    int32 bypassWord = 0;
    if (!readInt32LE(state, bypassWord)) return kResultFalse;

    for (const auto& [id, value] : values)
        setParamNormalized(id, value);
    if (getParameterObject(kBypassId)) setParamNormalized(kBypassId, bypassWord != 0 ? 1.0 : 0.0);
    // Nothing goes back to the host from here: hosts hold their own locks while they hand a
    // state over, and a call back into them waits for ever. They read the values afterwards.
    return kResultOk;
}

tresult PLUGIN_API BaseController::setKnobMode(KnobMode mode)
{
    if (mode != kCircularMode && mode != kRelativCircularMode && mode != kLinearMode)
        return kResultFalse;
    knobMode = mode;
    return EditControllerEx1::setKnobMode(mode);
}

tresult PLUGIN_API BaseController::getParameterInfo(int32 paramIndex, ParameterInfo& info)
{
    if (paramIndex < 0 || paramIndex >= getParameterCount()) return kResultFalse;
    return EditControllerEx1::getParameterInfo(paramIndex, info);
}

tresult PLUGIN_API BaseController::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                         String128 string)
{
    if (!string) return kInvalidArgument;
    // NaN passes unchanged: it prints as a short text.
    if (valueNormalized > 1.0)
        valueNormalized = 1.0;
    else if (valueNormalized < 0.0)
        valueNormalized = 0.0;
    return EditControllerEx1::getParamStringByValue(id, valueNormalized, string);
}

tresult PLUGIN_API BaseController::getParamValueByString(ParamID id, TChar* string,
                                                         ParamValue& valueNormalized)
{
    if (!isWellFormedUtf16(string)) return kResultFalse;
    return EditControllerEx1::getParamValueByString(id, string, valueNormalized);
}

tresult PLUGIN_API BaseController::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
    if (unitIndex < 0 || unitIndex >= getUnitCount()) return kResultFalse;
    return EditControllerEx1::getUnitInfo(unitIndex, info);
}

int32 PLUGIN_API BaseController::getProgramListCount()
{
    return getParameterObject(kPresetId) ? 1 : 0;
}

tresult PLUGIN_API BaseController::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
    Parameter* presets = getParameterObject(kPresetId);
    if (!presets || listIndex != 0) return kResultFalse;
    info.id = static_cast<ProgramListID>(kPresetId);
    UString(info.name, str16BufferSize(String128)).assign(STR16("Presets"));
    info.programCount = static_cast<int32>(presets->toPlain(1.0)) + 1;
    return kResultOk;
}

tresult PLUGIN_API BaseController::getProgramName(ProgramListID listId, int32 programIndex,
                                                  String128 name)
{
    if (listId != static_cast<ProgramListID>(kPresetId)) return kResultFalse;
    Parameter* presets = getParameterObject(kPresetId);
    if (!presets) return kResultFalse;
    if (!name) return kInvalidArgument;
    presets->toString(presets->toNormalized(programIndex), name);
    return kResultOk;
}

tresult PLUGIN_API BaseController::getMidiControllerAssignment(int32 busIndex, int16 /*channel*/,
                                                               CtrlNumber midiControllerNumber,
                                                               ParamID& id)
{
    if (busIndex != 0 || midiControllerNumber < 0 || midiControllerNumber >= kCountCtrlNumber)
        return kResultFalse;
    const ParamID assigned = midiMapping[midiControllerNumber];
    if (assigned == kUnassigned) return kResultFalse;
    id = assigned;
    return kResultOk;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
