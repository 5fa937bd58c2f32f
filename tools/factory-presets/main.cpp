// SPDX-License-Identifier: GPL-3.0-or-later
// brask-factory-presets: turns the factory bank's source into the table the module compiles in
// (FactoryPresets.h). Each preset starts from the values a new processor holds and takes its
// settings as the controller reads them, normalized values as written and display texts through
// the controller's own conversion: the same values brask-make-presets stores in the bank's
// .vstpreset files. The instrument is created through its factory, linked in, as a host creates
// it from the module that this table becomes part of.
//
//   brask-factory-presets BANK-SOURCE OUT.cpp
#include "FactoryBank.h"

#include "PluginInstance.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

extern "C" IPluginFactory* PLUGIN_API GetPluginFactory();

namespace {

constexpr int32 kValueCount = 24; // FactoryPreset::kValueCount: the processor's sound values

bool isNormalized(double value)
{
    return value >= 0.0 && value <= 1.0; // false for NaN
}

bool fail(std::string& error, const std::string& message)
{
    error = message;
    return false;
}

/** The values of the bank's presets, read as the controller reads them. */
class PresetValues
{
public:
    ~PresetValues()
    {
        instance.reset(); // before the factory that made it
        if (factory) factory->release();
    }

    /** The instrument, and the values of a new processor's state: what every preset starts
        from. */
    bool open(std::string& error)
    {
        factory = GetPluginFactory();
        instance = Hosting::PluginInstance::create(factory, nullptr, error);
        std::vector<uint8> state;
        if (!instance) return false;
        if (!instance->processorState(state)) return fail(error, "the processor gave no state");
        int32 count = 0;
        if (state.size() >= 4) std::memcpy(&count, state.data(), sizeof count);
        if (count != kValueCount || state.size() < 4 + 8 * static_cast<size_t>(count))
            return fail(error, "the processor's state holds " + std::to_string(count) +
                                   " values, not " + std::to_string(kValueCount));
        init.resize(static_cast<size_t>(count));
        std::memcpy(init.data(), state.data() + 4, init.size() * sizeof(double));
        return true;
    }

    /** A new instance's values. */
    const std::vector<double>& initial() const { return init; }

    bool of(const Presets::BankPreset& preset, std::vector<double>& values, std::string& error)
    {
        values = init;
        for (const auto& setting : preset.settings)
        {
            ParamID id = kNoParamId;
            ParamValue value = 0.0;
            if (!resolve(setting.first, setting.second, id, value, error))
                return fail(error, "preset \"" + preset.name + "\": " + error);
            if (id >= values.size())
                return fail(error, "preset \"" + preset.name + "\": \"" + setting.first +
                                       "\" is a performance control, which presets do not store");
            values[id] = value;
        }
        return true;
    }

private:
    bool resolve(const std::string& title, const std::string& written, ParamID& id,
                 ParamValue& value, std::string& error)
    {
        ParameterInfo info{};
        if (!instance->findParameter(title, info))
            return fail(error, "unknown parameter \"" + title + "\"");
        id = info.id;

        // A value in double quotes is always a display text.
        const bool quoted = written.size() >= 2 && written.front() == '"' && written.back() == '"';
        const std::string text = quoted ? written.substr(1, written.size() - 2) : written;
        if (!quoted && Presets::parseNumber(text, value))
        {
            return isNormalized(value) ||
                   fail(error, "value " + text + " for \"" + title + "\" is outside 0..1");
        }
        String128 wide{};
        if (text.size() >= 128) return fail(error, "\"" + text + "\" is too long a text");
        for (size_t i = 0; i < text.size(); ++i)
        {
            if (static_cast<unsigned char>(text[i]) >= 0x80)
                return fail(error, "\"" + text + "\": the bank's texts are ASCII");
            wide[i] = static_cast<TChar>(text[i]);
        }
        if (instance->controller()->getParamValueByString(id, wide, value) != kResultOk ||
            !isNormalized(value))
            return fail(error, "\"" + text + "\" is not a value of \"" + title + "\"");
        return true;
    }

    IPluginFactory* factory = nullptr;
    std::unique_ptr<Hosting::PluginInstance> instance;
    std::vector<double> init;
};

/** A C++ string literal; the bank's names are printable ASCII. */
std::string literal(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text)
    {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    return out + "\"";
}

/** The value as a hexadecimal floating literal: it reads back to the same bits. */
std::string exact(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%a", value);
    return text;
}

bool tableSource(const Presets::FactoryBank& bank, PresetValues& values, const std::string& source,
                 std::string& text, std::string& error)
{
    std::ostringstream out;
    out << "// SPDX-License-Identifier: GPL-3.0-or-later\n"
        << "// Written by brask-factory-presets from " << source << ": edit that, not this.\n"
        << "#include \"FactoryPresets.h\"\n\n"
        << "namespace Steinberg {\nnamespace Vst {\nnamespace Tarvik {\n\nnamespace {\n\n"
        << "const FactoryPreset kPresets[] = {\n";
    for (const Presets::BankPreset& preset : bank.presets())
    {
        std::vector<double> presetValues;
        if (!values.of(preset, presetValues, error)) return false;
        // A new VST 2 instance plays the sound of program 0.
        if (&preset == &bank.presets().front() && presetValues != values.initial())
            return fail(error, "the first preset, \"" + preset.name +
                                   "\", must be the sound of a new instance");
        out << "    {" << literal(preset.name) << ",\n     " << literal(preset.category) << ",\n"
            << "     {";
        for (size_t i = 0; i < presetValues.size(); ++i)
            out << (i == 0 ? "" : i % 4 == 0 ? ",\n      " : ", ") << exact(presetValues[i]);
        out << "}},\n";
    }
    out << "};\n\n} // namespace\n\n"
        << "int32_t FactoryPresets::count()\n{\n"
        << "    return static_cast<int32_t>(sizeof kPresets / sizeof kPresets[0]);\n}\n\n"
        << "const FactoryPreset* FactoryPresets::at(int32_t index)\n{\n"
        << "    return index >= 0 && index < count() ? &kPresets[index] : nullptr;\n}\n\n"
        << "} // namespace Tarvik\n} // namespace Vst\n} // namespace Steinberg\n";
    text = out.str();
    return true;
}

/** Writes the whole file or, on failure, nothing: a half-written table must never compile. */
bool writeFile(const std::string& path, const std::string& text, std::string& error)
{
    const std::string temporary = path + ".part";
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file || std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        std::remove(temporary.c_str());
        return fail(error, "cannot write " + path);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::cerr << "usage: brask-factory-presets BANK-SOURCE OUT.cpp\n";
        return 2;
    }
    std::string error;
    Presets::FactoryBank bank;
    PresetValues values;
    std::string text;
    const char* slash = std::strrchr(argv[1], '/');
    if (!Presets::FactoryBank::read(argv[1], bank, error) || !values.open(error) ||
        !tableSource(bank, values, slash ? slash + 1 : argv[1], text, error) ||
        !writeFile(argv[2], text, error))
    {
        std::cerr << "brask-factory-presets: " << error << std::endl;
        return 1;
    }
    return 0;
}
