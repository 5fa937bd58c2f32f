// SPDX-License-Identifier: GPL-3.0-or-later
// brask-render: plays a Standard MIDI File through the Brask instrument, loaded from its bundle
// exactly as a host loads it, and writes the audio to a WAV file.
#include "MidiFile.h"
#include "PluginSession.h"
#include "RenderOptions.h"
#include "RenderPlatform.h"
#include "Renderer.h"
#include "WavWriter.h"

#include "BankLocator.h"
#include "VstPresetFile.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <sys/stat.h>
#include <system_error>

using namespace Steinberg::Vst::Tarvik::Render;
namespace Presets = Steinberg::Vst::Tarvik::Presets;

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onSignal(int)
{
    interrupted = 1;
}

int fail(const std::string& message, int code = 1)
{
    std::cerr << "brask-render: " << message << std::endl;
    return code;
}

bool exists(const std::string& path)
{
    struct stat info
    {};
    return stat(path.c_str(), &info) == 0;
}

/** The prefix an installed program lives under (PREFIX/bin/brask-render gives "PREFIX/"), or
    empty when it runs from a build tree. */
std::string installedPrefix()
{
    const std::string folder = Platform::programFolder();
    const std::string bin = "bin/";
    if (folder.size() <= bin.size() ||
        folder.compare(folder.size() - bin.size(), bin.size(), bin) != 0)
        return {};
    return folder.substr(0, folder.size() - bin.size());
}

/** The bundle that belongs to this program: installed beside it (PREFIX/lib/vst3), beside the
    build tree it lives in, else where the build put it. */
std::string defaultBundle()
{
    const std::string prefix = installedPrefix();
    if (!prefix.empty())
    {
        const std::string installed = prefix + "lib/vst3/Tarvik-Brask.vst3";
        if (exists(installed)) return installed;
    }
    const std::string folder = Platform::programFolder();
    if (!folder.empty() && prefix.empty())
    {
        const std::string beside = folder + "../../Tarvik-Brask.vst3";
        if (exists(beside)) return beside;
    }
    return BRASK_DEFAULT_BUNDLE;
}

/** A one-line progress bar on stderr, shown only once a render has taken longer than a moment. */
class ProgressBar
{
public:
    ProgressBar(bool enabled, int64_t total, double sampleRate)
        : enabled(enabled), total(total > 0 ? total : 1), sampleRate(sampleRate),
          started(Clock::now()), lastDrawn(started)
    {}

    void update(int64_t frames)
    {
        if (!enabled) return;
        const auto now = Clock::now();
        if (now - started < std::chrono::milliseconds(500) ||
            now - lastDrawn < std::chrono::milliseconds(100))
            return;
        lastDrawn = now;
        shown = true;
        const double fraction = std::min(1.0, static_cast<double>(frames) / total);
        constexpr int kWidth = 30;
        const int filled = static_cast<int>(fraction * kWidth);
        std::fprintf(stderr, "\rrendering [%s%s] %3d%%  %.1f s", std::string(filled, '#').c_str(),
                     std::string(kWidth - filled, '.').c_str(), static_cast<int>(fraction * 100),
                     frames / sampleRate);
        std::fflush(stderr);
    }

    void finish()
    {
        if (!shown) return;
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
    }

private:
    using Clock = std::chrono::steady_clock;
    bool enabled;
    int64_t total;
    double sampleRate;
    Clock::time_point started;
    Clock::time_point lastDrawn;
    bool shown = false;
};

/** One line when the PCM file had to clip: how many samples, how loud, and the gain that keeps
    the peak below full scale. Floating-point files hold any level and never clip. */
void reportClipping(const WavWriter& writer, const RenderOptions& options)
{
    if (writer.clippedSamples() == 0) return;
    const double peakDecibels = 20.0 * std::log10(static_cast<double>(writer.peakLevel()));
    const double fittingGain = std::floor((options.gainDecibels - peakDecibels) * 10.0) / 10.0;
    std::fprintf(stderr,
                 "brask-render: warning: %lld of %lld samples clipped in %s (peak %+.1f dBFS); "
                 "--gain %.1f keeps the peak below full scale\n",
                 static_cast<long long>(writer.clippedSamples()),
                 static_cast<long long>(writer.framesWritten() * 2), options.output.c_str(),
                 peakDecibels, fittingGain);
}

/** The user's preset folder comes first, where hosts save the user's presets. An installed
    program then looks under its own prefix, so a package unpacked anywhere finds its own bank; a
    program in a build tree looks at the build's bank and then under the build's install prefix. */
std::vector<std::string> presetFolders()
{
    const std::string prefix = installedPrefix();
    if (!prefix.empty()) return Presets::bankFolders("", prefix.substr(0, prefix.size() - 1));
    const std::string folder = Platform::programFolder();
    return Presets::bankFolders(folder.empty() ? "" : folder + "../../presets",
                                BRASK_INSTALL_PREFIX);
}

bool isRegularFile(const std::string& path)
{
    struct stat info
    {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

/** An argument of --preset names a file when a regular file of that name exists, or when it has a
    path separator or the .vstpreset ending; anything else is the name of a preset, even where a
    folder of that name lies in the current folder. */
bool namesAFile(const std::string& preset)
{
    const std::string ending = ".vstpreset";
    return preset.find_first_of("/\\") != std::string::npos ||
           (preset.size() >= ending.size() &&
            preset.compare(preset.size() - ending.size(), ending.size(), ending) == 0) ||
           isRegularFile(preset);
}

bool resolvePreset(const std::string& preset, std::string& path, std::string& error)
{
    if (namesAFile(preset))
    {
        path = preset;
        return true;
    }
    const std::vector<Presets::BankEntry> presets = Presets::mergeBanks(presetFolders());
    const Presets::BankEntry* entry = Presets::findPreset(presets, preset);
    if (!entry)
    {
        error = presets.empty()
                    ? "no file \"" + preset + "\" and no presets installed to look it up in"
                    : "no preset named \"" + preset + "\" (--list-presets shows them)";
        return false;
    }
    path = entry->path;
    return true;
}

int listPresets()
{
    size_t hidden = 0;
    const std::vector<Presets::BankEntry> presets = Presets::mergeBanks(presetFolders(), &hidden);
    if (presets.empty()) return fail("no presets found (--help says where they are looked for)");
    const std::string* folder = nullptr;
    for (const Presets::BankEntry& entry : presets)
    {
        if (!folder || *folder != entry.folder)
        {
            folder = &entry.folder;
            std::cout << "Presets in " << entry.folder << ":\n";
        }
        char line[160];
        std::snprintf(line, sizeof(line), "  %-8s %-20s ",
                      entry.category.empty() ? "-" : entry.category.c_str(), entry.name.c_str());
        std::cout << line
                  << (entry.damage.empty() ? entry.description : "(damaged: " + entry.damage + ")")
                  << "\n";
    }
    if (hidden == 1)
        std::cout << "1 more hidden by a preset of the same name above\n";
    else if (hidden > 1)
        std::cout << hidden << " more hidden by presets of the same names above\n";
    return 0;
}

/** Two paths of the same file: the same file found through any links, or, for outputs that do
    not exist yet, the same place. */
bool sameFile(const std::string& first, const std::string& second)
{
    if (first.empty() || second.empty()) return false;
    if (Platform::sameFile(first, second)) return true;
    std::error_code failure;
    const std::filesystem::path a = std::filesystem::weakly_canonical(first, failure);
    if (failure) return false;
    const std::filesystem::path b = std::filesystem::weakly_canonical(second, failure);
    return !failure && a == b;
}

/** An output written over an input would destroy it (a slip such as "song.mid song.mid"). Saving
    over the preset that was loaded is allowed: that edits a preset in place, and it is read in
    full before anything is written. */
bool outputsSpareTheInputs(const RenderOptions& options, const std::string& presetPath,
                           std::string& error)
{
    struct Named
    {
        const std::string& path;
        const char* what;
    };
    const auto check = [&error](const std::string& output, std::initializer_list<Named> inputs) {
        for (const Named& input : inputs)
        {
            if (!sameFile(output, input.path)) continue;
            error = "will not write " + output + ": it is the same file as " + input.what + " " +
                    input.path;
            return false;
        }
        return true;
    };
    return check(options.output, {{options.input, "the MIDI file"},
                                  {presetPath, "the preset"},
                                  {options.plugin, "the plug-in"}}) &&
           check(options.savePreset, {{options.input, "the MIDI file"},
                                      {options.plugin, "the plug-in"},
                                      {options.output, "the WAV file"}});
}

int run(const RenderOptions& options)
{
    if (options.listPresets)
    {
        const int listed = listPresets();
        if (listed != 0 ||
            (options.input.empty() && !options.listParameters && options.savePreset.empty()))
            return listed;
    }
    std::string error;
    // Everything that names a file is settled before anything is read or written.
    std::string presetPath;
    if (!options.preset.empty() && !resolvePreset(options.preset, presetPath, error))
        return fail(error);
    if (!outputsSpareTheInputs(options, presetPath, error)) return fail(error);

    MidiFile song;
    const bool rendering = !options.input.empty();
    if (rendering && !MidiFile::read(options.input, song, error)) return fail(error);

    // Checked before anything is rendered: the WAV size fields are 32 bits.
    const auto rate = static_cast<double>(options.sampleRate);
    if (rendering)
    {
        const double seconds = song.lengthSeconds() + options.tailSeconds;
        if (seconds * rate > static_cast<double>(WavWriter::maxFrames(options.format)))
            return fail(options.input + " lasts too long for a WAV file at this rate and format");
    }

    WavWriter writer;
    if (rendering && !writer.open(options.output, options.format, options.sampleRate, error))
        return fail(error);
    writer.setGain(static_cast<float>(std::pow(10.0, options.gainDecibels / 20.0)));

    const std::string bundle = options.plugin.empty() ? defaultBundle() : options.plugin;
    std::unique_ptr<PluginSession> session = PluginSession::open(bundle, error);
    if (!session) return fail(error);
    if (!presetPath.empty() && !session->loadPreset(presetPath, error)) return fail(error);
    for (const std::string& setting : options.settings)
    {
        if (!session->applySetting(setting, error)) return fail(error);
    }
    if (options.listParameters) session->listParameters(std::cout);

    if (rendering || !options.savePreset.empty())
    {
        Steinberg::Vst::Tarvik::Hosting::PluginInstance& instance = session->instance();
        if (!instance.start(rate, options.blockSize, error)) return fail(error);
        Renderer renderer(instance, rate, options.blockSize, options.tailSeconds);
        renderer.setStartParameters(session->settings());

        if (rendering)
        {
            ProgressBar progress(!options.quiet && Platform::errorsGoToTerminal(),
                                 renderer.maxFrames(song), rate);
            bool writeFailed = false;
            const bool complete = renderer.render(
                song,
                [&](const float* left, const float* right, Steinberg::int32 frames) {
                    if (interrupted) return false;
                    writeFailed = !writer.write(left, right, frames);
                    return !writeFailed;
                },
                [&](Steinberg::int64 frames) { progress.update(frames); });
            progress.finish();
            if (!complete)
            {
                writer.discard();
                if (writeFailed)
                    return fail("cannot write " + options.output + ": " + writer.lastError());
                return fail("interrupted", 130);
            }
            if (!writer.commit(error)) return fail(error);
            if (!options.quiet) reportClipping(writer, options);
        }
        else
            renderer.flush();
        instance.stop();
    }

    if (!options.savePreset.empty() && !session->savePreset(options.savePreset, error))
        return fail(error);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    RenderOptions options;
    std::string error;
    const ParseOutcome outcome = parseRenderOptions(argc, argv, options, error, std::cout);
    if (!outcome.proceed) return outcome.exitCode == 0 ? 0 : fail(error, outcome.exitCode);

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    Platform::reportFileSizeLimitAsError();
    try
    {
        return run(options);
    }
    catch (const std::exception& failure)
    {
        return fail(failure.what());
    }
}
