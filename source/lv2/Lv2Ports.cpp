// SPDX-License-Identifier: GPL-3.0-or-later
#include "Lv2Ports.h"

#include "BraskParameterIds.h"

#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Lv2 {

namespace {

const ControlPort kControlPorts[kControlPortCount] = {
    {kOscMix, "osc_mix", "OSC Mix", ControlPort::kNormalized},
    {kOscTune, "osc_tune", "OSC Tune", ControlPort::kNormalized},
    {kOscFine, "osc_fine", "OSC Fine", ControlPort::kNormalized},
    {kGlide, "glide", "Glide", ControlPort::kListIndex},
    {kGlideRate, "glide_rate", "Gld Rate", ControlPort::kNormalized},
    {kGlideBend, "glide_bend", "Gld Bend", ControlPort::kNormalized},
    {kVcfFreq, "vcf_freq", "VCF Freq", ControlPort::kNormalized},
    {kVcfReso, "vcf_reso", "VCF Reso", ControlPort::kNormalized},
    {kVcfEnv, "vcf_env", "VCF Env", ControlPort::kNormalized},
    {kVcfLfo, "vcf_lfo", "VCF LFO", ControlPort::kNormalized},
    {kVcfVel, "vcf_vel", "VCF Vel", ControlPort::kNormalized},
    {kVcfAtt, "vcf_att", "VCF Att", ControlPort::kNormalized},
    {kVcfDec, "vcf_dec", "VCF Dec", ControlPort::kNormalized},
    {kVcfSus, "vcf_sus", "VCF Sus", ControlPort::kNormalized},
    {kVcfRel, "vcf_rel", "VCF Rel", ControlPort::kNormalized},
    {kEnvAtt, "env_att", "ENV Att", ControlPort::kNormalized},
    {kEnvDec, "env_dec", "ENV Dec", ControlPort::kNormalized},
    {kEnvSus, "env_sus", "ENV Sus", ControlPort::kNormalized},
    {kEnvRel, "env_rel", "ENV Rel", ControlPort::kNormalized},
    {kLfoRate, "lfo_rate", "LFO Rate", ControlPort::kNormalized},
    {kVibrato, "vibrato", "Vibrato", ControlPort::kNormalized},
    {kNoise, "noise", "Noise", ControlPort::kNormalized},
    {kOctave, "octave", "Octave", ControlPort::kOctave},
    {kTuning, "tuning", "Tuning", ControlPort::kNormalized},
};

// The engine plays octave floor(4.9 * value) - 2; the controller's text for octave k is the
// normalized value (k + 2) / 4, which the engine plays as octave k.
constexpr double kOctaveSteps = 4.9;
constexpr int kLowestOctave = -2;
constexpr int kHighestOctave = 2;

double clamped(double value, double low, double high)
{
    return value < low ? low : (value > high ? high : value);
}

} // namespace

const char* const kGlideEntries[kGlideSteps + 1] = {"Poly", "Poly-Legato", "Poly-Glide",
                                                    "Mono", "Mono-Legato", "Mono-Glide"};

const ControlPort* controlPort(uint32_t portIndex)
{
    if (portIndex < kFirstControlPort || portIndex >= kPortCount) return nullptr;
    return &kControlPorts[portIndex - kFirstControlPort];
}

float portMinimum(const ControlPort& port)
{
    return port.kind == ControlPort::kOctave ? static_cast<float>(kLowestOctave) : 0.0f;
}

float portMaximum(const ControlPort& port)
{
    switch (port.kind)
    {
    case ControlPort::kListIndex:
        return static_cast<float>(kGlideSteps);
    case ControlPort::kOctave:
        return static_cast<float>(kHighestOctave);
    default:
        return 1.0f;
    }
}

float toPortValue(const ControlPort& port, double normalized)
{
    if (!std::isfinite(normalized)) normalized = 0.0;
    normalized = clamped(normalized, 0.0, 1.0);
    switch (port.kind)
    {
    case ControlPort::kListIndex:
        // The entry the engine and the controller read: floor(entries * value), the last entry
        // from 1.0 on.
        return static_cast<float>(
            clamped(std::floor((kGlideSteps + 1) * normalized), 0.0, kGlideSteps));
    case ControlPort::kOctave:
        return static_cast<float>(
            clamped(std::floor(kOctaveSteps * normalized), 0.0, kHighestOctave - kLowestOctave) +
            kLowestOctave);
    default:
        return static_cast<float>(normalized);
    }
}

double toNormalized(const ControlPort& port, float value)
{
    if (!std::isfinite(value)) value = portMinimum(port);
    const double plain = clamped(value, portMinimum(port), portMaximum(port));
    switch (port.kind)
    {
    case ControlPort::kListIndex:
        return std::floor(plain + 0.5) / kGlideSteps;
    case ControlPort::kOctave:
        return (std::floor(plain + 0.5) - kLowestOctave) / (kHighestOctave - kLowestOctave);
    default:
        return plain;
    }
}

} // namespace Lv2
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
