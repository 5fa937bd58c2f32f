// SPDX-License-Identifier: GPL-3.0-or-later
#include "BankBuilder.h"

#include "VstPresetFile.h"

#include "base/source/fobject.h"
#include "public.sdk/source/common/memorystream.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace Steinberg::Vst::Tarvik::Presets {

namespace fs = std::filesystem;

namespace {

void putLittleEndian(std::vector<uint8_t>& out, uint64_t bits, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

uint64_t getLittleEndian(const std::vector<uint8_t>& bytes, size_t at, int size)
{
    uint64_t bits = 0;
    for (int i = size - 1; i >= 0; --i)
        bits = (bits << 8) | bytes[at + static_cast<size_t>(i)];
    return bits;
}

std::vector<uint8_t> streamBytes(MemoryStream& stream)
{
    const auto* begin = reinterpret_cast<const uint8_t*>(stream.getData());
    return std::vector<uint8_t>(begin, begin + stream.getSize());
}

} // namespace

bool ProcessorState::parse(const std::vector<uint8_t>& bytes, ProcessorState& state)
{
    if (bytes.size() < 8) return false;
    const auto count = static_cast<int32_t>(getLittleEndian(bytes, 0, 4));
    if (count < 0 || bytes.size() != 8 + 8 * static_cast<size_t>(count)) return false;
    state.values.resize(static_cast<size_t>(count));
    for (size_t i = 0; i < state.values.size(); ++i)
    {
        const uint64_t bits = getLittleEndian(bytes, 4 + 8 * i, 8);
        std::memcpy(&state.values[i], &bits, sizeof(double));
    }
    state.bypass = static_cast<int32_t>(getLittleEndian(bytes, bytes.size() - 4, 4));
    return true;
}

std::vector<uint8_t> ProcessorState::bytes() const
{
    std::vector<uint8_t> out;
    putLittleEndian(out, static_cast<uint32_t>(values.size()), 4);
    for (const double value : values)
    {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof(double));
        putLittleEndian(out, bits, 8);
    }
    putLittleEndian(out, static_cast<uint32_t>(bypass), 4);
    return out;
}

BankBuilder::BankBuilder(Render::PluginSession& session) : session(session)
{
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    if (session.instance().component()->getState(stream) == kResultOk)
        ProcessorState::parse(streamBytes(*stream), init);
}

bool BankBuilder::stateOf(const BankPreset& preset, ProcessorState& state, std::string& error) const
{
    if (init.values.empty())
    {
        error = "the plug-in gave no processor state to start from";
        return false;
    }
    state = init;
    state.bypass = 0;
    for (const auto& setting : preset.settings)
    {
        ParamID id = 0;
        ParamValue value = 0.0;
        const std::string& text = setting.second;
        const bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
        if (!session.resolveSetting(setting.first, quoted ? text.substr(1, text.size() - 2) : text,
                                    id, value, error, quoted))
        {
            error = "preset \"" + preset.name + "\": " + error;
            return false;
        }
        if (id >= state.values.size())
        {
            error = "preset \"" + preset.name + "\": \"" + setting.first +
                    "\" is a performance control, which presets do not store";
            return false;
        }
        state.values[id] = value;
    }
    return true;
}

bool BankBuilder::composeFile(const BankPreset& preset, std::vector<uint8_t>& file,
                              std::string& error)
{
    ProcessorState state;
    if (!stateOf(preset, state, error)) return false;

    // The processor takes the state and writes it back as it stores it: the chunk holds exactly
    // what a host would save after loading the preset.
    Hosting::PluginInstance& instance = session.instance();
    std::vector<uint8_t> written = state.bytes();
    IPtr<MemoryStream> in =
        owned(new MemoryStream(written.data(), static_cast<TSize>(written.size())));
    IPtr<MemoryStream> out = owned(new MemoryStream());
    if (instance.component()->setState(in) != kResultOk ||
        instance.component()->getState(out) != kResultOk || streamBytes(*out) != written)
    {
        error = "preset \"" + preset.name + "\": the processor does not keep its state";
        return false;
    }
    // The controller keeps no state of its own today; whatever it writes goes into 'Cont'.
    IPtr<MemoryStream> controllerState = owned(new MemoryStream());
    std::vector<uint8_t> controllerBytes;
    if (instance.controller()->getState(controllerState) == kResultOk)
        controllerBytes = streamBytes(*controllerState);

    const PresetInfo info{preset.name, preset.category, preset.author, preset.description};
    file = VstPresetFile::compose(FUID::fromTUID(instance.processorClass().cid), written,
                                  controllerBytes, VstPresetFile::metaInfoXml(info));
    if (file.empty())
    {
        error = "preset \"" + preset.name + "\" could not be composed";
        return false;
    }
    return true;
}

bool BankBuilder::writeBank(const FactoryBank& bank, const std::string& outFolder,
                            std::string& error,
                            const std::function<void(const std::string&)>& progress)
{
    // The folder is the build's own: every preset file a previous run left goes, also those of
    // the earlier layout with a folder per category.
    std::error_code failure;
    if (fs::is_directory(outFolder, failure))
    {
        for (const fs::directory_entry& entry : fs::directory_iterator(outFolder, failure))
        {
            if (entry.path().extension() == ".vstpreset")
            {
                fs::remove(entry.path(), failure);
                continue;
            }
            if (!entry.is_directory(failure)) continue;
            for (const fs::directory_entry& file : fs::directory_iterator(entry, failure))
            {
                if (file.path().extension() == ".vstpreset") fs::remove(file.path(), failure);
            }
            fs::remove(entry.path(), failure); // only when it is empty now
        }
    }
    fs::create_directories(outFolder, failure);
    for (const BankPreset& preset : bank.presets())
    {
        std::vector<uint8_t> bytes;
        if (!composeFile(preset, bytes, error)) return false;
        const fs::path path = fs::path(outFolder) / presetFileName(preset);
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file)
        {
            error = "cannot write " + path.string();
            return false;
        }
        if (progress) progress(path.string());
    }
    return true;
}

} // namespace Steinberg::Vst::Tarvik::Presets
