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
#include <iostream>
#include <sys/stat.h>

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

/** An installed program looks in the user's folder and then under its own prefix, so a package
    unpacked anywhere finds its own bank; a program in a build tree looks at the build's bank
    first and then under the build's install prefix. */
std::vector<std::string> factoryBankFolders()
{
    const std::string prefix = installedPrefix();
    if (!prefix.empty()) return Presets::bankFolders("", prefix.substr(0, prefix.size() - 1));
    const std::string folder = Platform::programFolder();
    return Presets::bankFolders(folder.empty() ? "" : folder + "../../presets",
                                BRASK_INSTALL_PREFIX);
}

/** A path names a file; anything else that contains no '/' and does not end in ".vstpreset"
    names a factory preset. */
bool resolvePreset(const std::string& preset, std::string& path, std::string& error)
{
    const bool looksLikePath =
        preset.find('/') != std::string::npos ||
        (preset.size() > 10 && preset.compare(preset.size() - 10, 10, ".vstpreset") == 0);
    if (looksLikePath || exists(preset))
    {
        path = preset;
        return true;
    }
    std::string folder;
    const std::vector<Presets::BankEntry> bank = Presets::findBank(factoryBankFolders(), folder);
    if (bank.empty())
    {
        error = "no file \"" + preset + "\" and no factory bank installed to look it up in";
        return false;
    }
    const Presets::BankEntry* entry = Presets::findPreset(bank, preset);
    if (!entry)
    {
        error = "no factory preset named \"" + preset + "\" (--list-presets shows the bank)";
        return false;
    }
    path = entry->path;
    return true;
}

int listPresets()
{
    std::string folder;
    const std::vector<Presets::BankEntry> bank = Presets::findBank(factoryBankFolders(), folder);
    if (bank.empty()) return fail("no factory bank found (--help says where it is looked for)");
    std::cout << "Factory bank in " << folder << ":\n";
    for (const Presets::BankEntry& entry : bank)
    {
        Presets::VstPreset preset;
        std::string error;
        const std::string description =
            Presets::VstPresetFile::read(entry.path, preset, error)
                ? Presets::VstPresetFile::metaInfoValue(preset.metaInfo, "Comment")
                : "(damaged: " + error + ")";
        char line[160];
        std::snprintf(line, sizeof(line), "  %-8s %-20s ", entry.category.c_str(),
                      entry.name.c_str());
        std::cout << line << description << "\n";
    }
    return 0;
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
    if (!options.preset.empty())
    {
        std::string presetPath;
        if (!resolvePreset(options.preset, presetPath, error) ||
            !session->loadPreset(presetPath, error))
            return fail(error);
    }
    for (const std::string& setting : options.settings)
    {
        if (!session->applySetting(setting, error)) return fail(error);
    }
    if (options.listParameters) session->listParameters(std::cout);

    if (rendering || !options.savePreset.empty())
    {
        Steinberg::Vst::Tarvik::Host::PluginInstance& instance = session->instance();
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
