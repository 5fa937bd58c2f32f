// SPDX-License-Identifier: GPL-3.0-or-later
// BaseController: the generic edit controller of this family of instruments. On top of the SDK's
// EditControllerEx1 it keeps a MIDI controller table, a root unit "Root" whose program list is
// the preset parameter 'prst' (when a product publishes one), an optional bypass parameter, and
// follows the processor through its state stream and its "activated" message. It knows nothing
// of a product's parameters.
#pragma once

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class BaseController : public EditControllerEx1, public IMidiMapping
{
public:
    /** The bypass switch that the processor understands. */
    static constexpr ParamID kBypassId = 0x62706173; // 'bpas'
    /** The preset parameter behind the root unit's program list. */
    static constexpr ParamID kPresetId = 0x70727374; // 'prst'
    /** Table entries that drive no parameter. */
    static constexpr ParamID kUnassigned = 0xFFFFFFFF;

    BaseController();
    ~BaseController() override;

    /** The base's initialize, then the root unit and, when asked for, the bypass parameter. A
        failing base is answered unchanged and nothing is added. */
    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE;

    //--- IConnectionPoint
    /** "activated" (exact) takes the processor's "SampleRate" and answers kResultOk; everything
        else goes to the base. */
    tresult PLUGIN_API notify(IMessage* message) SMTG_OVERRIDE;

    //--- IEditController
    /** Applies the processor's state stream (count, values, bypass word) to the parameters with
        IDs 0 to count - 1 and to 'bpas', by the processor's rules: a stream whose count is not
        positive or that ends before its bypass word is refused with kResultFalse and changes
        nothing; values outside 0..1 keep the previous ones. Never calls back into the host
        (hosts read the values again afterwards). */
    tresult PLUGIN_API setComponentState(IBStream* state) SMTG_OVERRIDE;
    /** kResultFalse for an index outside the parameter list (the base would throw). */
    tresult PLUGIN_API getParameterInfo(int32 paramIndex, ParameterInfo& info) SMTG_OVERRIDE;
    /** Shows values outside 0..1 as the nearest end (the SDK's number printing overruns the
        string for huge values). */
    tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                             String128 string) SMTG_OVERRIDE;
    /** kResultFalse for a null text or one with an unpaired surrogate (the SDK's number reader
        throws on those); otherwise the parameter's own reading. */
    tresult PLUGIN_API getParamValueByString(ParamID id, TChar* string,
                                             ParamValue& valueNormalized) SMTG_OVERRIDE;

    //--- IEditController2
    /** Keeps the host's knob mode for this instance too: the SDK keeps one for the whole
        process, which other instances (a VST 2 one, say) would take over. kResultFalse for a
        mode that is none of the three. */
    tresult PLUGIN_API setKnobMode(KnobMode mode) SMTG_OVERRIDE;
    /** The knob mode this instance's host chose; linear (a vertical drag) where it chose none,
        as VST 2 hosts and many VST 3 hosts never do. */
    KnobMode getKnobMode() const { return knobMode; }

    //--- IUnitInfo
    /** kResultFalse for an index outside the unit list (the base would throw). */
    tresult PLUGIN_API getUnitInfo(int32 unitIndex, UnitInfo& info) SMTG_OVERRIDE;
    /** 1 with a 'prst' parameter, else 0. */
    int32 PLUGIN_API getProgramListCount() SMTG_OVERRIDE;
    /** List 0 is "Presets", with one program per entry of the 'prst' parameter. */
    tresult PLUGIN_API getProgramListInfo(int32 listIndex, ProgramListInfo& info) SMTG_OVERRIDE;
    /** The 'prst' parameter's text for the program index; the index is not range-checked, the
        parameter's conversion decides what an index outside the list shows. */
    tresult PLUGIN_API getProgramName(ProgramListID listId, int32 programIndex,
                                      String128 name) SMTG_OVERRIDE;

    //--- IMidiMapping
    /** Bus 0 only; every channel maps alike. kResultFalse for numbers outside the table and
        numbers without an assignment. */
    tresult PLUGIN_API getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                   CtrlNumber midiControllerNumber,
                                                   ParamID& id) SMTG_OVERRIDE;

    /** The sample rate of the processor's last "activated" message; 44100 before any. */
    double getProcessorSampleRate() const { return processorSampleRate; }

    //--- FUnknown: IMidiMapping first, then IUnitInfo, then the edit controller's interfaces.
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE;
    REFCOUNT_METHODS(EditControllerEx1)

protected:
    /** Parameter driven by each controller number: 0..127 control changes, 128 channel
        aftertouch, 129 pitch bend. Written by a product's initialize, read-only afterwards. */
    ParamID midiMapping[kCountCtrlNumber];
    double processorSampleRate = 44100.0;
    /** Set before initialize to publish the bypass parameter 'bpas'. */
    bool addBypassParameter = false;

private:
    KnobMode knobMode = kLinearMode;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
