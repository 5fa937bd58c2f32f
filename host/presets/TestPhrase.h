// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed phrase each category of the factory bank is judged on, and the loudness measure the
// bank is matched by. A phrase suits its category (a low line for basses, held chords for pads, a
// legato melody for leads) and spans enough keys to show a sound that plays only in some range.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Steinberg::Vst::Tarvik::Presets {

struct PhraseNote
{
    double start;    ///< seconds
    double duration; ///< seconds
    int note;
    int velocity;
};

struct TestPhrase
{
    std::string name;
    std::vector<PhraseNote> notes;
    double length; ///< seconds rendered: the last release plus a tail

    /** A Standard MIDI File (format 0, 120 bpm) playing the notes and ending at length. */
    std::vector<uint8_t> midiBytes() const;
};

/** The phrase of a bank category: strings share the pads' chords, "Init" plays the lead melody,
    and any other category the keys phrase. */
const TestPhrase& phraseFor(const std::string& category);

/** Loudness of a render: RMS over the whole phrase of both channels, in dBFS (a full-scale sine
    reads -3 dB), and the highest sample. Non-finite samples make finite false. */
struct Loudness
{
    double rmsDb = -200.0;
    double peakDb = -200.0;
    bool finite = true;
};

Loudness measureLoudness(const std::vector<float>& left, const std::vector<float>& right,
                         size_t begin = 0, size_t end = SIZE_MAX);

/** The common loudness every factory preset is matched to on its phrase, the allowed distance
    from it, and the highest peak allowed. */
constexpr double kTargetLoudnessDb = -18.0;
constexpr double kLoudnessToleranceDb = 2.0;
constexpr double kPeakCeilingDb = -1.0;
/** No note of a phrase may be this much quieter than the whole phrase: a sound that speaks only in
    part of the keyboard fails. */
constexpr double kQuietestNoteBelowDb = 15.0;

} // namespace Steinberg::Vst::Tarvik::Presets
