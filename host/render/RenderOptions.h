// SPDX-License-Identifier: GPL-3.0-or-later
// brask-render's command line.
#pragma once

#include "WavWriter.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace Steinberg::Vst::Tarvik::Render {

struct RenderOptions
{
    std::string input;  ///< MIDI file; empty when the run only lists or saves
    std::string output; ///< WAV file
    std::string plugin; ///< bundle; empty for the one built beside the program
    std::string preset; ///< a .vstpreset file or the name of a factory preset
    std::string savePreset;
    std::vector<std::string> settings; ///< "Title=value", in order
    WavWriter::Format format = WavWriter::Format::Float32;
    int sampleRate = 48000;
    int blockSize = 512;
    double tailSeconds = 5.0;
    double gainDecibels = 0.0; ///< scales the output before it is written
    bool listParameters = false;
    bool listPresets = false;
    bool quiet = false;
};

/** Exit code of a run that must stop after parsing: help was printed (0) or the command line is
    wrong (2, with a one-line message in error). */
struct ParseOutcome
{
    bool proceed = true;
    int exitCode = 0;
};

ParseOutcome parseRenderOptions(int argc, const char* const* argv, RenderOptions& options,
                                std::string& error, std::ostream& helpOut);

} // namespace Steinberg::Vst::Tarvik::Render
