// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenderOptions.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <map>

namespace Steinberg::Vst::Tarvik::Render {

ParseOutcome parseRenderOptions(int argc, const char* const* argv, RenderOptions& options,
                                std::string& error, std::ostream& helpOut)
{
    CLI::App app("Renders a Standard MIDI File through the Brask instrument to a stereo WAV file.",
                 "brask-render");
    // Options start with "-" everywhere: on Windows CLI11 would take "/path" for an option.
    app.allow_windows_style_options(false);
    app.add_option("song.mid", options.input,
                   "The MIDI file to play (format 0 or 1, at most 4000000 events)")
        ->type_name("");
    app.add_option("out.wav", options.output, "The WAV file to write")->type_name("");

    // A range check lets "nan" through: every comparison with NaN is false.
    const CLI::Validator finite(
        [](std::string& input) {
            double value = 0.0;
            if (CLI::detail::lexical_cast(input, value) && std::isfinite(value))
                return std::string();
            return "Value " + input + " is not a finite number";
        },
        "FINITE");

    std::string format = "float";
    app.add_option("--format", format, "Sample format of the WAV file")
        ->check(CLI::IsMember({"float", "pcm16", "pcm24"}))
        ->capture_default_str();
    app.add_option("--rate", options.sampleRate, "Sample rate in Hz")
        ->check(CLI::Range(8000, 384000))
        ->capture_default_str();
    app.add_option("--block", options.blockSize, "Samples per process call")
        ->check(CLI::Range(1, 65536))
        ->capture_default_str();
    app.add_option("--tail", options.tailSeconds,
                   "Longest release tail after the last event, in seconds; the tail ends "
                   "earlier once the output has been silent for a moment")
        ->check(finite & CLI::Range(0.0, 3600.0))
        ->capture_default_str();
    app.add_option("--gain", options.gainDecibels,
                   "Gain in dB applied to the output before it is written, e.g. -6 to keep loud "
                   "chords from clipping in the pcm formats")
        ->check(finite & CLI::Range(-120.0, 60.0))
        ->capture_default_str();
    app.add_option("--set", options.settings,
                   "\"Title=value\" before playing, repeatable: a number is a normalized value "
                   "0..1, anything else a display text, e.g. \"VCF Freq=0.3\" or \"Glide=Mono\"")
        ->type_name("TEXT")
        ->allow_extra_args(false);
    app.add_option("--preset", options.preset,
                   "Load a .vstpreset file, or a preset by name (any letter case, e.g. \"acid "
                   "squelch\"), before the --set values. The argument names a file when it is "
                   "a file, contains a path separator or ends in .vstpreset")
        ->type_name("FILE|NAME");
    app.add_option("--save-preset", options.savePreset,
                   "Save the plug-in's state (preset and --set values) as a .vstpreset file")
        ->type_name("FILE");
    app.add_option("--plugin", options.plugin,
                   "The VST 3 bundle to load (default: the Brask bundle built with this program)")
        ->type_name("PATH");
    app.add_flag("--list-params", options.listParameters,
                 "Print every parameter with its ID, value and display text");
    app.add_flag("--list-presets", options.listPresets,
                 "Print the presets by category under the folder each was found in. Searched in "
                 "this order, the first of a name winning: ~/.vst3/presets/Tarvik/Brask (where "
                 "hosts save your presets), the build tree's bank when this program runs from a "
                 "build, then PREFIX/share/vst3/presets/Tarvik/Brask for the prefix this program "
                 "is installed under (or the build's install prefix), /usr/local and /usr");
    app.add_flag("-q,--quiet", options.quiet, "No progress bar; only errors are printed");
    app.set_version_flag("--version", "brask-render " BRASK_VERSION,
                         "Print the program's version and exit");
    app.footer("Examples:\n"
               "  brask-render song.mid song.wav\n"
               "  brask-render --set \"Glide=Mono-Glide\" --format pcm24 lead.mid lead.wav\n"
               "  brask-render --preset \"Acid Squelch\" bass.mid bass.wav\n"
               "  brask-render --list-params\n"
               "  brask-render --list-presets\n\n"
               "No output replaces an input: the WAV file may not be the MIDI file, the preset, "
               "the plug-in or the --save-preset file; --save-preset may not be the MIDI file or "
               "the plug-in, but may be the preset loaded, which edits it in place.\n\n"
               "Exit status: 0 on success, 1 when the render failed, 2 for a wrong command "
               "line.");

    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::CallForHelp&)
    {
        helpOut << app.help();
        return {false, 0};
    }
    catch (const CLI::CallForVersion& version)
    {
        helpOut << version.what() << "\n";
        return {false, 0};
    }
    catch (const CLI::ParseError& failure)
    {
        error = failure.what();
        return {false, 2};
    }

    static const std::map<std::string, WavWriter::Format> formats = {
        {"float", WavWriter::Format::Float32},
        {"pcm16", WavWriter::Format::Pcm16},
        {"pcm24", WavWriter::Format::Pcm24}};
    options.format = formats.at(format);

    if (!options.input.empty() && options.output.empty())
    {
        error = "give both the MIDI file and the WAV file to write";
        return {false, 2};
    }
    if (options.input.empty() && !options.listParameters && !options.listPresets &&
        options.savePreset.empty())
    {
        error = "nothing to do: give a MIDI file and a WAV file (--help shows the options)";
        return {false, 2};
    }
    return {};
}

} // namespace Steinberg::Vst::Tarvik::Render
