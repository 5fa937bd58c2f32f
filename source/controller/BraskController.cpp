// SPDX-License-Identifier: GPL-3.0-or-later
#include "BraskController.h"

#include "BraskParameterDefaults.h"
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

/** A continuous parameter whose plain value is its normalized value. */
struct PlainRow
{
    ParamID id;
    const TChar* title;
};

// Hosts list the parameters in this order; "Glide" and "Octave" have classes of their own and
// are inserted at their places.
const PlainRow kRowsBeforeGlide[] = {
    {kOscMix, STR16("OSC Mix")},
    {kOscTune, STR16("OSC Tune")},
    {kOscFine, STR16("OSC Fine")},
};
const PlainRow kRowsBeforeOctave[] = {
    {kGlideRate, STR16("Gld Rate")}, {kGlideBend, STR16("Gld Bend")}, {kVcfFreq, STR16("VCF Freq")},
    {kVcfReso, STR16("VCF Reso")},   {kVcfEnv, STR16("VCF Env")},     {kVcfLfo, STR16("VCF LFO")},
    {kVcfVel, STR16("VCF Vel")},     {kVcfAtt, STR16("VCF Att")},     {kVcfDec, STR16("VCF Dec")},
    {kVcfSus, STR16("VCF Sus")},     {kVcfRel, STR16("VCF Rel")},     {kEnvAtt, STR16("ENV Att")},
    {kEnvDec, STR16("ENV Dec")},     {kEnvSus, STR16("ENV Sus")},     {kEnvRel, STR16("ENV Rel")},
    {kLfoRate, STR16("LFO Rate")},   {kVibrato, STR16("Vibrato")},    {kNoise, STR16("Noise")},
};
const PlainRow kRowsAfterOctave[] = {
    {kTuning, STR16("Tuning")},
};

/** A MIDI performance controller: driven by MIDI data through the host, never automated. */
struct PerformanceRow
{
    ParamID id;
    const TChar* title;
    ParamValue defaultValue;
};

// Each rests where the engine starts it: Pitch Bend at its centre, so that a host's reset to
// default does not detune.
const PerformanceRow kPerformanceRows[] = {
    {kModWheelId, STR16("Mod Wheel"), 0.0},
    {kPitchBendId, STR16("Pitch Bend"), 0.5},
    {kFilterModUpId, STR16("Filter Mod+"), 0.0},
    {kFilterModDownId, STR16("Filter Mod-"), 0.0},
    {kResonanceCtlId, STR16("Filter Resonance"), 0.0},
    {kAftertouchId, STR16("Aftertouch"), 0.0},
};

/** The value the processor starts with, widened as it widens it: every reset to default then
    gives the sound a new instance plays. */
ParamValue soundDefault(ParamID id)
{
    return static_cast<ParamValue>(kDefaultParamValues[id]);
}

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
            parameters.addParameter(rows[i].title, STR16(""), 0, soundDefault(rows[i].id),
                                    ParameterInfo::kCanAutomate, static_cast<int32>(rows[i].id),
                                    kRootUnitId);
    };

    addPlainRows(kRowsBeforeGlide, std::size(kRowsBeforeGlide));

    auto* glide = new IndexedParameter(STR16("Glide"), nullptr, 5, soundDefault(kGlide),
                                       ParameterInfo::kCanAutomate | ParameterInfo::kIsList, kGlide,
                                       kRootUnitId);
    for (int32 i = 0; i < 6; ++i)
        glide->setString(i, kGlideModes[i]);
    glide->setNormalized(soundDefault(kGlide)); // a list parameter starts at entry 0
    parameters.addParameter(glide);

    addPlainRows(kRowsBeforeOctave, std::size(kRowsBeforeOctave));

    // Whole octaves, but continuous: the text shows the octave that plays.
    parameters.addParameter(
        new OctaveParameter(STR16("Octave"), kOctave, kRootUnitId, soundDefault(kOctave)));

    addPlainRows(kRowsAfterOctave, std::size(kRowsAfterOctave));

    for (const PerformanceRow& row : kPerformanceRows)
        parameters.addParameter(row.title, STR16(""), 0, row.defaultValue, 0,
                                static_cast<int32>(row.id), kRootUnitId);

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
