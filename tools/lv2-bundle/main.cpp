// SPDX-License-Identifier: GPL-3.0-or-later
// brask-lv2-bundle: writes the LV2 bundle's descriptions into a folder: manifest.ttl, the
// plug-in's Tarvik-Brask.ttl (ports from the module's port table, defaults the Init sound) and
// presets.ttl (the factory bank, each preset with its port values and its exact state).
//   brask-lv2-bundle [--no-ui] <folder> <binary file name>
#include "Lv2Ports.h"

#include "BraskParameterDefaults.h"
#include "BraskVersion.h"
#include "FactoryPresets.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace Steinberg::Vst::Tarvik;
using namespace Steinberg::Vst::Tarvik::Lv2;

namespace {

const char* const kPrefixes = R"(@prefix atom:  <http://lv2plug.in/ns/ext/atom#> .
@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .
@prefix doap:  <http://usefulinc.com/ns/doap#> .
@prefix foaf:  <http://xmlns.com/foaf/0.1/> .
@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .
@prefix midi:  <http://lv2plug.in/ns/ext/midi#> .
@prefix opts:  <http://lv2plug.in/ns/ext/options#> .
@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .
@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .
@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .
@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .
@prefix xsd:   <http://www.w3.org/2001/XMLSchema#> .

)";

/** A float as the shortest Turtle number that reads back as the same float (0.37, not
    0.370000005). */
std::string number(float value)
{
    char text[32];
    for (int digits = 1; digits <= 9; ++digits)
    {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) break;
    }
    std::string out = text;
    if (out.find_first_of(".e") == std::string::npos) out += ".0";
    return out;
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text)
    {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string uri(const std::string& text)
{
    return "<" + text + ">";
}

/** A fragment made of the text's letters and digits, words joined by '-'. */
std::string fragment(const std::string& text)
{
    std::string out;
    for (unsigned char c : text)
    {
        if (std::isalnum(c))
            out += static_cast<char>(std::tolower(c));
        else if (!out.empty() && out.back() != '-')
            out += '-';
    }
    while (!out.empty() && out.back() == '-')
        out.pop_back();
    return out.empty() ? "preset" : out;
}

std::string base64(const std::vector<uint8_t>& bytes)
{
    static const char* const digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3)
    {
        const uint32_t a = bytes[i];
        const uint32_t b = i + 1 < bytes.size() ? bytes[i + 1] : 0;
        const uint32_t c = i + 2 < bytes.size() ? bytes[i + 2] : 0;
        const uint32_t triple = a << 16 | b << 8 | c;
        out += digits[triple >> 18 & 63];
        out += digits[triple >> 12 & 63];
        out += i + 1 < bytes.size() ? digits[triple >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? digits[triple & 63] : '=';
    }
    return out;
}

void putWord(std::vector<uint8_t>& out, uint32_t word)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(word >> shift));
}

/** The processor's state stream of a preset: value count, the values, bypass off. */
std::vector<uint8_t> processorState(const FactoryPreset& preset)
{
    std::vector<uint8_t> out;
    putWord(out, FactoryPreset::kValueCount);
    for (double value : preset.values)
    {
        uint8_t bytes[sizeof value];
        std::memcpy(bytes, &value, sizeof value);
        out.insert(out.end(), bytes, bytes + sizeof value);
    }
    putWord(out, 0);
    return out;
}

struct Preset
{
    const FactoryPreset* preset;
    std::string uri;
};

std::vector<Preset> presets()
{
    std::vector<Preset> out;
    std::set<std::string> taken;
    for (int32_t i = 0; i < FactoryPresets::count(); ++i)
    {
        const FactoryPreset* preset = FactoryPresets::at(i);
        std::string name = fragment(preset->name);
        for (int n = 2; !taken.insert(name).second; ++n)
            name = fragment(preset->name) + "-" + std::to_string(n);
        out.push_back({preset, kPresetUriBase + name});
    }
    return out;
}

std::string manifest(const std::string& binary, bool withUi, const std::vector<Preset>& bank)
{
    std::ostringstream out;
    out << kPrefixes;
    out << uri(kPluginUri) << "\n    a lv2:Plugin , lv2:InstrumentPlugin ;\n"
        << "    lv2:binary " << uri(binary) << " ;\n"
        << "    rdfs:seeAlso <Tarvik-Brask.ttl> .\n\n";
    if (withUi)
    {
        out << uri(kUiUri) << "\n    a ui:X11UI ;\n"
            << "    lv2:binary " << uri(binary) << " ;\n"
            << "    rdfs:seeAlso <Tarvik-Brask.ttl> .\n\n";
    }
    for (const Preset& preset : bank)
    {
        out << uri(preset.uri) << "\n    a pset:Preset ;\n"
            << "    lv2:appliesTo " << uri(kPluginUri) << " ;\n"
            << "    rdfs:seeAlso <presets.ttl> .\n\n";
    }
    return out.str();
}

std::string controlPortText(const ControlPort& port, uint32_t index)
{
    std::ostringstream out;
    out << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << quoted(port.symbol) << " ;\n"
        << "        lv2:name " << quoted(port.name) << " ;\n"
        << "        lv2:default "
        << number(toPortValue(port, kDefaultParamValues[port.parameterId])) << " ;\n"
        << "        lv2:minimum " << number(portMinimum(port)) << " ;\n"
        << "        lv2:maximum " << number(portMaximum(port));
    if (port.kind == ControlPort::kListIndex)
    {
        out << " ;\n        lv2:portProperty lv2:integer , lv2:enumeration ;\n"
            << "        lv2:scalePoint";
        for (int entry = 0; entry <= kGlideSteps; ++entry)
        {
            out << (entry ? " ,\n            " : " ") << "[ rdfs:label "
                << quoted(kGlideEntries[entry]) << " ; rdf:value " << number(float(entry)) << " ]";
        }
    }
    else if (port.kind == ControlPort::kOctave)
    {
        out << " ;\n        lv2:portProperty lv2:integer";
    }
    return out.str();
}

/** "1.6.06.0811": the minor and micro version of the plug-in are 6 and 6. */
void versionParts(int& minor, int& micro)
{
    int parts[3] = {};
    int part = 0;
    for (const char* c = kProductVersion; *c && part < 3; ++c)
    {
        if (*c == '.')
            ++part;
        else if (std::isdigit(static_cast<unsigned char>(*c)))
            parts[part] = parts[part] * 10 + (*c - '0');
    }
    minor = parts[1];
    micro = parts[2];
}

std::string plugin(bool withUi)
{
    int minor = 0;
    int micro = 0;
    versionParts(minor, micro);
    std::ostringstream out;
    out << kPrefixes;
    out << uri(kPluginUri) << "\n    a lv2:Plugin , lv2:InstrumentPlugin ;\n"
        << "    doap:name " << quoted(kProductName) << " ;\n"
        << "    doap:license <https://spdx.org/licenses/GPL-3.0-or-later> ;\n"
        << "    doap:maintainer [\n        foaf:name " << quoted(kVendorName) << " ;\n"
        << "        foaf:homepage " << uri(kVendorUrl) << " ;\n"
        << "        foaf:mbox " << uri(kVendorEmail) << "\n    ] ;\n"
        << "    lv2:minorVersion " << minor << " ;\n"
        << "    lv2:microVersion " << micro << " ;\n"
        << "    lv2:requiredFeature urid:map ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , opts:options , bufsz:boundedBlockLength ;\n"
        << "    opts:supportedOption bufsz:maxBlockLength , bufsz:nominalBlockLength ;\n"
        << "    lv2:extensionData state:interface ;\n";
    if (withUi) out << "    ui:ui " << uri(kUiUri) << " ;\n";
    out << "    lv2:port [\n"
        << "        a lv2:InputPort , atom:AtomPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports midi:MidiEvent ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:index " << kMidiInPort << " ;\n"
        << "        lv2:symbol \"midi_in\" ;\n"
        << "        lv2:name \"MIDI In\"\n"
        << "    ] , [\n"
        << "        a lv2:OutputPort , lv2:AudioPort ;\n"
        << "        lv2:index " << kLeftOutPort << " ;\n"
        << "        lv2:symbol \"out_left\" ;\n"
        << "        lv2:name \"Left\"\n"
        << "    ] , [\n"
        << "        a lv2:OutputPort , lv2:AudioPort ;\n"
        << "        lv2:index " << kRightOutPort << " ;\n"
        << "        lv2:symbol \"out_right\" ;\n"
        << "        lv2:name \"Right\"\n";
    for (uint32_t index = kFirstControlPort; index < kPortCount; ++index)
        out << "    ] , [\n" << controlPortText(*controlPort(index), index) << "\n";
    out << "    ] .\n";
    if (withUi)
    {
        out << "\n"
            << uri(kUiUri) << "\n    a ui:X11UI ;\n"
            << "    lv2:requiredFeature ui:idleInterface , ui:parent ;\n"
            << "    lv2:optionalFeature ui:resize , ui:touch ;\n"
            << "    lv2:extensionData ui:idleInterface .\n";
    }
    return out.str();
}

std::string presetsText(const std::vector<Preset>& bank)
{
    std::ostringstream out;
    out << kPrefixes;
    std::vector<std::string> categories;
    for (const Preset& entry : bank)
    {
        const FactoryPreset& preset = *entry.preset;
        const std::string bankUri = kBankUriBase + fragment(preset.category);
        bool known = false;
        for (const std::string& category : categories)
            known = known || category == preset.category;
        if (!known)
        {
            categories.push_back(preset.category);
            out << uri(bankUri) << "\n    a pset:Bank ;\n"
                << "    rdfs:label " << quoted(preset.category) << " .\n\n";
        }
        out << uri(entry.uri) << "\n    a pset:Preset ;\n"
            << "    lv2:appliesTo " << uri(kPluginUri) << " ;\n"
            << "    rdfs:label " << quoted(preset.name) << " ;\n"
            << "    rdfs:comment " << quoted(preset.category) << " ;\n"
            << "    pset:bank " << uri(bankUri) << " ;\n"
            << "    lv2:port";
        for (uint32_t index = kFirstControlPort; index < kPortCount; ++index)
        {
            const ControlPort& port = *controlPort(index);
            out << (index == kFirstControlPort ? " " : " ,\n        ") << "[ lv2:symbol "
                << quoted(port.symbol) << " ; pset:value "
                << number(toPortValue(port, preset.values[port.parameterId])) << " ]";
        }
        // The ports carry floats; the state carries the values exactly. Hosts read a literal
        // of the plug-in's own type from a bundle as text, a base64Binary one as its bytes.
        out << " ;\n    state:state [\n"
            << "        " << uri(kStateUri) << " " << quoted(base64(processorState(preset)))
            << "^^xsd:base64Binary ;\n"
            << "        " << uri(kProgramNameUri) << " " << quoted(preset.name) << "\n"
            << "    ] .\n\n";
    }
    return out.str();
}

bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file)
    {
        std::cerr << "brask-lv2-bundle: cannot write " << path << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    bool withUi = true;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--no-ui") == 0)
            withUi = false;
        else
            args.emplace_back(argv[i]);
    }
    if (args.size() != 2)
    {
        std::cerr << "usage: brask-lv2-bundle [--no-ui] <folder> <binary file name>\n";
        return 2;
    }
    const std::string& folder = args[0];
    const std::vector<Preset> bank = presets();
    if (!writeFile(folder + "/manifest.ttl", manifest(args[1], withUi, bank)) ||
        !writeFile(folder + "/Tarvik-Brask.ttl", plugin(withUi)) ||
        !writeFile(folder + "/presets.ttl", presetsText(bank)))
        return 1;
    return 0;
}
