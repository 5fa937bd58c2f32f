// SPDX-License-Identifier: GPL-3.0-or-later
#include "BraskController.h"

#include "BraskParameterIds.h"
#include "IndexedParameter.h"
#include "OctaveParameter.h"
#include "ParameterText.h"

#include <cmath>
#include <iterator>
#include <typeinfo>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

constexpr int32 kAutomate = ParameterInfo::kCanAutomate;

/** A continuous parameter whose plain value is its normalized value. */
struct PlainRow
{
    ParamID id;
    const TChar* title;
    ParamValue defaultValue;
    int32 flags;
};

// Hosts list the parameters in this order; "Glide" and "Octave" have classes of their own and
// are inserted at their places.
const PlainRow kRowsBeforeGlide[] = {
    {0, STR16("OSC Mix"), 0.15, kAutomate},
    {1, STR16("OSC Tune"), 0.6, kAutomate},
    {2, STR16("OSC Fine"), 0.5, kAutomate},
};
const PlainRow kRowsBeforeOctave[] = {
    {4, STR16("Gld Rate"), 0.5, kAutomate}, {5, STR16("Gld Bend"), 0.5, kAutomate},
    {6, STR16("VCF Freq"), 0.5, kAutomate}, {7, STR16("VCF Reso"), 0.5, kAutomate},
    {8, STR16("VCF Env"), 0.5, kAutomate},  {9, STR16("VCF LFO"), 0.5, kAutomate},
    {10, STR16("VCF Vel"), 0.5, kAutomate}, {11, STR16("VCF Att"), 0.5, kAutomate},
    {12, STR16("VCF Dec"), 0.5, kAutomate}, {13, STR16("VCF Sus"), 0.5, kAutomate},
    {14, STR16("VCF Rel"), 0.5, kAutomate}, {15, STR16("ENV Att"), 0.5, kAutomate},
    {16, STR16("ENV Dec"), 0.5, kAutomate}, {17, STR16("ENV Sus"), 0.5, kAutomate},
    {18, STR16("ENV Rel"), 0.5, kAutomate}, {19, STR16("LFO Rate"), 0.5, kAutomate},
    {20, STR16("Vibrato"), 0.5, kAutomate}, {21, STR16("Noise"), 0.5, kAutomate},
};
// The performance controllers are driven by MIDI data through the host, never automated. Pitch
// Bend rests at its centre, as the engine starts: a host's reset to default must not detune.
const PlainRow kRowsAfterOctave[] = {
    {23, STR16("Tuning"), 0.5, kAutomate},
    {kModWheelId, STR16("Mod Wheel"), 0.0, 0},
    {kPitchBendId, STR16("Pitch Bend"), 0.5, 0},
    {kFilterModUpId, STR16("Filter Mod+"), 0.0, 0},
    {kFilterModDownId, STR16("Filter Mod-"), 0.0, 0},
    {kResonanceCtlId, STR16("Filter Resonance"), 0.0, 0},
    {kAftertouchId, STR16("Aftertouch"), 0.0, 0},
};

struct ControllerAssignment
{
    CtrlNumber controller;
    ParamID id;
};

// Breath (2) and sound controller 5 (74) both drive "Filter Mod+".
const ControllerAssignment kControllerAssignments[] = {
    {kCtrlModWheel, kModWheelId},
    {kCtrlBreath, kFilterModUpId},
    {3, kFilterModDownId},
    {kCtrlExpression, kResonanceCtlId},
    {kCtrlFilterResonance, kFilterModUpId},
    {kAfterTouch, kAftertouchId},
    {kPitchBend, kPitchBendId},
};

// Six entries for five steps: "Mono" is entry 3, at 0.6.
const TChar* const kGlideModes[] = {STR16("Poly"), STR16("Poly-Legato"), STR16("Poly-Glide"),
                                    STR16("Mono"), STR16("Mono-Legato"), STR16("Mono-Glide")};

} // namespace

tresult PLUGIN_API BraskController::initialize(FUnknown* context)
{
    const tresult result = BaseController::initialize(context);
    if (result != kResultOk) return result;

    auto addPlainRows = [this](const PlainRow* rows, size_t count) {
        for (size_t i = 0; i < count; ++i)
            parameters.addParameter(rows[i].title, STR16(""), 0, rows[i].defaultValue,
                                    rows[i].flags, static_cast<int32>(rows[i].id), kRootUnitId);
    };

    addPlainRows(kRowsBeforeGlide, std::size(kRowsBeforeGlide));

    auto* glide = new IndexedParameter(STR16("Glide"), nullptr, 5, 0.0,
                                       ParameterInfo::kCanAutomate | ParameterInfo::kIsList, kGlide,
                                       kRootUnitId);
    for (int32 i = 0; i < 6; ++i)
        glide->setString(i, kGlideModes[i]);
    parameters.addParameter(glide);

    addPlainRows(kRowsBeforeOctave, std::size(kRowsBeforeOctave));

    // Whole octaves, but continuous: the text shows the octave that plays.
    parameters.addParameter(new OctaveParameter(STR16("Octave"), kOctave, kRootUnitId));

    addPlainRows(kRowsAfterOctave, std::size(kRowsAfterOctave));

    for (const ControllerAssignment& assignment : kControllerAssignments)
        midiMapping[assignment.controller] = assignment.id;
    return kResultOk;
}

tresult PLUGIN_API BraskController::getParamValueByString(ParamID id, TChar* string,
                                                          ParamValue& valueNormalized)
{
    // A typed "inf", "nan" or 1e999 is no setting: refused for every parameter, also where a
    // conversion would clamp it into range ("Octave") or let it through unchecked ('modw').
    double typed = 0.0;
    const bool number = readLeadingDouble(string, typed);
    if (number && !std::isfinite(typed)) return kResultFalse;
    // The SDK's plain parameters read text with swscanf on Windows and take a text without a
    // number ("loud") for 0; they get a number or nothing, as with sscanf on Linux.
    Parameter* parameter = getParameterObject(id);
    if (!number && parameter && typeid(*parameter) == typeid(Parameter)) return kResultFalse;

    const tresult result = BaseController::getParamValueByString(id, string, valueNormalized);
    if (result != kResultOk) return result;
    if (!std::isfinite(valueNormalized)) return kResultFalse;
    if (id < static_cast<ParamID>(kSoundParamCount) &&
        (valueNormalized > 1.0 || valueNormalized < 0.0))
        return kResultFalse;
    return kResultOk;
}

tresult PLUGIN_API BraskController::setParamNormalized(ParamID id, ParamValue value)
{
    const tresult result = BaseController::setParamNormalized(id, value);
    if (result == kResultOk && id == kPresetId && componentHandler)
        componentHandler->restartComponent(kParamValuesChanged);
    return result;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
