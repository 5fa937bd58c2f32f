// SPDX-License-Identifier: GPL-3.0-or-later
// The golden scenarios: short pieces that together reach every part of the sound (chords, a mono
// glide line, controller sweeps, noise with vibrato and octave, voice stealing), as notes and
// parameter changes at sample positions. The golden-render tests play them through the VST 3
// path against stored references; the VST 2 tests play them through both entries.
#pragma once

#include "pluginterfaces/vst/vsttypes.h"

#include <ostream>
#include <vector>

namespace GoldenScenarios {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kSampleRate = 48000.0;
// An odd block size, so that events, control ticks and block edges fall everywhere.
constexpr int32 kBlock = 100;
constexpr int32 kLength = 24000;

constexpr ParamID kModWheel = 0x6D6F6477, kPitchBend = 0x70697462, kFilterModUp = 0x62727468,
                  kFilterModDown = 0x63743033, kResonance = 0x65787072, kAftertouch = 0x61667474;

struct Action
{
    enum Kind
    {
        kNoteOn,
        kNoteOff,
        kParam
    } kind;
    int32 sample;
    ParamID id;   // the note number for notes
    double value; // velocity for note-ons
};

inline Action on(int32 sample, int32 note, double velocity)
{
    return {Action::kNoteOn, sample, static_cast<ParamID>(note), velocity};
}
inline Action off(int32 sample, int32 note)
{
    return {Action::kNoteOff, sample, static_cast<ParamID>(note), 0.0};
}
inline Action set(int32 sample, ParamID id, double value)
{
    return {Action::kParam, sample, id, value};
}

struct Scenario
{
    const char* name;
    std::vector<Action> actions;
};

inline void PrintTo(const Scenario& scenario, std::ostream* out)
{
    *out << scenario.name;
}

inline std::vector<Scenario> scenarios()
{
    std::vector<Scenario> list;
    list.push_back({"poly-chord",
                    {on(0, 60, 0.8), on(0, 64, 0.7), on(37, 67, 0.9), off(12000, 60),
                     off(12000, 64), off(12050, 67)}});
    list.push_back({"mono-glide-line",
                    {set(0, 3, 1.0), set(0, 4, 0.4), set(0, 5, 0.7), on(0, 48, 0.8),
                     on(6000, 55, 0.8), off(6100, 48), on(12000, 60, 0.5), on(15000, 52, 0.9),
                     off(18000, 52), off(19000, 60), off(20000, 55)}});
    std::vector<Action> sweeps{set(0, 7, 0.9), set(0, 9, 0.6), set(0, 19, 0.7), on(0, 57, 1.0),
                               off(21000, 57)};
    const ParamID controllers[] = {kModWheel,      kPitchBend, kFilterModUp,
                                   kFilterModDown, kResonance, kAftertouch};
    for (int32 step = 0; step < 9; ++step)
        sweeps.push_back(set(2000 + 2000 * step, controllers[step % 6], (step % 4) / 3.0));
    list.push_back({"controller-sweeps", sweeps});
    list.push_back({"noise-vibrato-octave",
                    {set(0, 21, 0.8), set(0, 20, 0.9), set(0, 22, 0.8), set(0, 23, 0.3),
                     set(0, 1, 0.7), set(0, 2, 0.2), set(0, 15, 0.3), set(0, 8, 0.9),
                     on(0, 45, 0.3), on(4000, 52, 1.0), off(16000, 45), off(16000, 52)}});
    std::vector<Action> staccato{set(0, 10, 0.0), set(0, 18, 0.0), set(0, 3, 0.2)};
    for (int32 i = 0; i < 12; ++i)
    {
        staccato.push_back(on(1500 * i, 60 + 3 * (i % 5), 0.1 + 0.075 * i));
        if (i % 3 != 2) staccato.push_back(off(1500 * i + 900, 60 + 3 * (i % 5)));
    }
    list.push_back({"stealing-fast-release-velocity-off", staccato});
    return list;
}

} // namespace GoldenScenarios
