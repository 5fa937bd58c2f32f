// SPDX-License-Identifier: GPL-3.0-or-later
// BraskController: the instrument's edit controller. It publishes the 30 parameters (24 sound
// parameters with IDs 0..23, then six MIDI performance controllers with four-character IDs),
// maps MIDI controllers onto the latter, and keeps typed values of the sound parameters within
// their range.
#pragma once

#include "BaseController.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class BraskController : public BaseController
{
public:
    /** The base's initialize, then the parameter set and the MIDI controller table. */
    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE;
    /** Refuses texts that read as NaN or infinity, and for the sound parameters results outside
        0..1 (the value has been written all the same). */
    tresult PLUGIN_API getParamValueByString(ParamID id, TChar* string,
                                             ParamValue& valueNormalized) SMTG_OVERRIDE;
    /** A change of 'prst' asks the host to re-read every parameter value. */
    tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) SMTG_OVERRIDE;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
