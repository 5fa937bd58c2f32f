// SPDX-License-Identifier: GPL-3.0-or-later
// brask-audition-bank: plays every preset of the factory bank on its category's test phrase and
// prints loudness and peak against the bank's target; with a folder, also writes each render as
// a WAV file for listening and spectrograms.
#include "FactoryBank.h"
#include "PresetAudition.h"
#include "WavWriter.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

using namespace Steinberg::Vst::Tarvik;

namespace {

constexpr double kSampleRate = 48000.0;

bool writeWav(const std::string& path, const Presets::Audition& audition, std::string& error)
{
    Render::WavWriter writer;
    if (!writer.open(path, Render::WavWriter::Format::Float32, static_cast<int>(kSampleRate),
                     error))
        return false;
    if (!writer.write(audition.left.data(), audition.right.data(),
                      static_cast<int32_t>(audition.left.size())))
    {
        error = "cannot write " + path + ": " + writer.lastError();
        writer.discard();
        return false;
    }
    return writer.commit(error);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5)
    {
        std::cerr << "usage: brask-audition-bank BUNDLE BANK-SOURCE PRESET-FOLDER [WAV-FOLDER]\n";
        return 2;
    }
    const auto fail = [](const std::string& message) {
        std::cerr << "brask-audition-bank: " << message << std::endl;
        return 1;
    };
    std::string error;
    Presets::FactoryBank bank;
    if (!Presets::FactoryBank::read(argv[2], bank, error)) return fail(error);
    const std::string wavFolder = argc == 5 ? argv[4] : "";
    if (!wavFolder.empty()) std::filesystem::create_directories(wavFolder);

    std::printf("%-22s %-8s %8s %8s %8s  %s\n", "preset", "category", "rms dB", "peak dB",
                "quietest", "verdict");
    int outside = 0;
    for (const Presets::BankPreset& preset : bank.presets())
    {
        const std::string path = std::string(argv[3]) + "/" + Presets::presetFileName(preset);
        Presets::Audition audition;
        const Presets::TestPhrase& phrase = Presets::phraseFor(preset.category);
        if (!Presets::auditionPreset(argv[1], path, phrase, kSampleRate, audition, error))
            return fail(error);
        double quietest = 0.0;
        for (const double level : audition.noteRmsDb)
            quietest = std::min(quietest, level);
        const Presets::Loudness& loudness = audition.loudness;
        const double distance = loudness.rmsDb - Presets::kTargetLoudnessDb;
        const bool fits = loudness.finite && std::abs(distance) <= Presets::kLoudnessToleranceDb &&
                          loudness.peakDb < Presets::kPeakCeilingDb &&
                          quietest > loudness.rmsDb - Presets::kQuietestNoteBelowDb;
        outside += fits ? 0 : 1;
        std::printf("%-22s %-8s %8.2f %8.2f %8.2f  %s%+.1f\n", preset.name.c_str(),
                    preset.category.c_str(), loudness.rmsDb, loudness.peakDb, quietest,
                    fits ? "ok " : "OFF ", distance);
        if (!fits || quietest < loudness.rmsDb - 10.0)
        {
            std::printf("%-22s notes:", "");
            for (const double level : audition.noteRmsDb)
                std::printf(" %.1f", level);
            std::printf("\n");
        }
        std::fflush(stdout);
        if (!wavFolder.empty() &&
            !writeWav(wavFolder + "/" + preset.name + ".wav", audition, error))
            return fail(error);
    }
    std::printf("%d of %zu presets outside %.0f +/- %.0f dB RMS, above %.0f dBFS peak or with a "
                "note %.0f dB under the phrase\n",
                outside, bank.presets().size(), Presets::kTargetLoudnessDb,
                Presets::kLoudnessToleranceDb, Presets::kPeakCeilingDb,
                Presets::kQuietestNoteBelowDb);
    return outside == 0 ? 0 : 1;
}
