// SPDX-License-Identifier: GPL-3.0-or-later
// A controller's MIDI mapping as tests state it: a table of controller numbers (CC numbers,
// kAfterTouch, kPitchBend) and the parameters they drive, on the first event bus, on every
// channel or on one.
#pragma once

#include "HostOwned.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

class MidiMappingTable : public Hosting::HostOwned<IMidiMapping>
{
public:
    static constexpr int16 kEveryChannel = -1;

    MidiMappingTable(std::initializer_list<std::pair<CtrlNumber, ParamID>> entries,
                     int16 channel = kEveryChannel)
        : entries(entries), channel(channel)
    {}

    tresult PLUGIN_API getMidiControllerAssignment(int32 bus, int16 askedChannel, CtrlNumber number,
                                                   ParamID& id) SMTG_OVERRIDE
    {
        if (bus != 0 || (channel != kEveryChannel && askedChannel != channel)) return kResultFalse;
        for (const auto& [mapped, parameter] : entries)
            if (mapped == number)
            {
                id = parameter;
                return kResultOk;
            }
        return kResultFalse;
    }

private:
    std::vector<std::pair<CtrlNumber, ParamID>> entries;
    int16 channel;
};

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
