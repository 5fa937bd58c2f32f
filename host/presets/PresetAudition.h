// SPDX-License-Identifier: GPL-3.0-or-later
// Plays a preset file on its category's test phrase through the plug-in, as brask-render would,
// and measures the result.
#pragma once

#include "PluginSession.h"
#include "TestPhrase.h"

#include <string>
#include <vector>

namespace Steinberg::Vst::Tarvik::Presets {

struct Audition
{
    std::vector<float> left;
    std::vector<float> right;
    Loudness loudness;
    /** Loudness over each note of the phrase, from its start to its end, in phrase order. */
    std::vector<double> noteRmsDb;
};

/** Loads the preset into a fresh instance of the session's module, renders the phrase at the
    sample rate and measures it. False with a one-line message when the preset does not load. */
bool auditionPreset(const std::string& bundlePath, const std::string& presetPath,
                    const TestPhrase& phrase, double sampleRate, Audition& audition,
                    std::string& error);

} // namespace Steinberg::Vst::Tarvik::Presets
