// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the bank's source into .vstpreset files with the plug-in's own help: its controller reads
// the display texts, its processor takes each state and gives it back as it stores it.
#pragma once

#include "FactoryBank.h"
#include "PluginSession.h"

#include <functional>
#include <string>
#include <vector>

namespace Steinberg::Vst::Tarvik::Presets {

/** The processor state as the count, the normalized values and the bypass word. */
struct ProcessorState
{
    std::vector<double> values;
    int32_t bypass = 0;

    static bool parse(const std::vector<uint8_t>& bytes, ProcessorState& state);
    std::vector<uint8_t> bytes() const;
};

class BankBuilder
{
public:
    /** Works with the session's instance; its current processor state counts as "Init". */
    explicit BankBuilder(Render::PluginSession& session);

    /** The state of a preset: the Init values with the preset's settings applied. Settings must
        name sound parameters (the performance controllers are not stored). */
    bool stateOf(const BankPreset& preset, ProcessorState& state, std::string& error) const;

    /** Writes every preset as outFolder/<Name>.vstpreset, after removing the .vstpreset files a
        previous run left there. progress is told each file written. */
    bool writeBank(const FactoryBank& bank, const std::string& outFolder, std::string& error,
                   const std::function<void(const std::string&)>& progress = nullptr);

private:
    bool composeFile(const BankPreset& preset, std::vector<uint8_t>& file, std::string& error);

    Render::PluginSession& session;
    ProcessorState init;
};

} // namespace Steinberg::Vst::Tarvik::Presets
