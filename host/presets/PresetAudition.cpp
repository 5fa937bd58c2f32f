// SPDX-License-Identifier: GPL-3.0-or-later
#include "PresetAudition.h"

#include "MidiFile.h"
#include "Renderer.h"

#include <algorithm>
#include <cmath>

namespace Steinberg::Vst::Tarvik::Presets {

bool auditionPreset(const std::string& bundlePath, const std::string& presetPath,
                    const TestPhrase& phrase, double sampleRate, Audition& audition,
                    std::string& error)
{
    using namespace Render;
    std::unique_ptr<PluginSession> session = PluginSession::open(bundlePath, error);
    if (!session || !session->loadPreset(presetPath, error)) return false;
    MidiFile song;
    if (!MidiFile::parse(phrase.midiBytes(), song, error)) return false;

    constexpr int32 kBlockSize = 512;
    Hosting::PluginInstance& instance = session->instance();
    if (!instance.start(sampleRate, kBlockSize, error)) return false;
    audition.left.clear();
    audition.right.clear();
    Renderer renderer(instance, sampleRate, kBlockSize, 0.0);
    renderer.render(song, [&](const float* left, const float* right, int32 frames) {
        audition.left.insert(audition.left.end(), left, left + frames);
        audition.right.insert(audition.right.end(), right, right + frames);
        return true;
    });
    instance.stop();

    audition.loudness = measureLoudness(audition.left, audition.right);
    audition.noteRmsDb.clear();
    for (const PhraseNote& note : phrase.notes)
    {
        const auto at = [&](double seconds) {
            return static_cast<size_t>(std::lround(seconds * sampleRate));
        };
        audition.noteRmsDb.push_back(measureLoudness(audition.left, audition.right, at(note.start),
                                                     at(note.start + note.duration))
                                         .rmsDb);
    }
    return true;
}

} // namespace Steinberg::Vst::Tarvik::Presets
