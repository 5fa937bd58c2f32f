// SPDX-License-Identifier: GPL-3.0-or-later
#include "FactoryBank.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace Steinberg::Vst::Tarvik::Presets {

namespace {

constexpr size_t kMaxNameLength = 64;

std::string trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool fail(std::string& error, const std::string& source, int line, const std::string& message)
{
    error = source + ":" + std::to_string(line) + ": " + message;
    return false;
}

bool finishBlock(const BankPreset& preset, const std::string& source, std::string& error)
{
    const std::pair<const char*, const std::string*> required[] = {
        {"category", &preset.category},
        {"author", &preset.author},
        {"description", &preset.description}};
    for (const auto& field : required)
    {
        if (field.second->empty())
            return fail(error, source, preset.line,
                        "preset \"" + preset.name + "\" has no " + field.first);
    }
    if (!isUsableName(preset.category))
        return fail(error, source, preset.line,
                    "category \"" + preset.category + "\" cannot name a folder");
    return true;
}

} // namespace

bool parseNumber(const std::string& text, double& value)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    value = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE) return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    // Only plain decimal numbers: strtod would also take "nan", "inf" and hexadecimal forms.
    for (const char* c = begin; c < end; ++c)
    {
        if (std::strchr("0123456789.+-eE \t", *c) == nullptr) return false;
    }
    return *end == '\0';
}

std::string foldCase(const std::string& text)
{
    std::string folded = text;
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

bool isUsableName(const std::string& name)
{
    if (name.empty() || name.size() > kMaxNameLength || name.front() == '.' ||
        name.front() == ' ' || name.back() == ' ')
        return false;
    return std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return c >= 0x20 && c < 0x7F && std::strchr("/\\:*?\"<>|", c) == nullptr;
    });
}

std::string musicalInstrument(const std::string& category)
{
    static const std::map<std::string, std::string> instruments = {
        {"Bass", "Synth|Synth Bass"},       {"Lead", "Synth|Synth Lead"},
        {"Pad", "Synth|Synth Pad"},         {"Strings", "Strings|Synth Strings"},
        {"Brass", "Brass|Synth Brass"},     {"Keys", "Keyboard|Synth Keys"},
        {"Pluck", "Synth|Synth Pluck"},     {"Glide", "Synth|Synth Lead"},
        {"Effects", "Musical FX|Synth FX"}, {"Init", "Synth"}};
    const auto found = instruments.find(category);
    return found == instruments.end() ? "Synth" : found->second;
}

std::string presetFileName(const BankPreset& preset)
{
    return preset.name + ".vstpreset";
}

bool FactoryBank::read(const std::string& path, FactoryBank& bank, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
    {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parse(text.str(), path, bank, error);
}

bool FactoryBank::parse(const std::string& text, const std::string& source, FactoryBank& bank,
                        std::string& error)
{
    bank.list.clear();
    std::istringstream lines(text);
    std::string raw;
    int number = 0;
    BankPreset* current = nullptr;
    while (std::getline(lines, raw))
    {
        ++number;
        const std::string line = trim(raw);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[')
        {
            if (line.back() != ']')
                return fail(error, source, number, "a preset name ends with ']'");
            if (current && !finishBlock(*current, source, error)) return false;
            BankPreset preset;
            preset.name = trim(line.substr(1, line.size() - 2));
            preset.line = number;
            if (!isUsableName(preset.name))
                return fail(error, source, number,
                            "\"" + preset.name + "\" cannot name a preset file");
            if (bank.find(preset.name))
                return fail(error, source, number, "a second preset named \"" + preset.name + "\"");
            bank.list.push_back(preset);
            current = &bank.list.back();
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            return fail(error, source, number, "expected \"key = value\" or \"[Name]\"");
        if (!current) return fail(error, source, number, "a setting before the first [Name]");
        const std::string key = trim(line.substr(0, equals));
        const std::string value = trim(line.substr(equals + 1));
        if (key.empty() || value.empty())
            return fail(error, source, number, "a setting needs both key and value");
        if (key == "category")
            current->category = value;
        else if (key == "author")
            current->author = value;
        else if (key == "description")
            current->description = value;
        else
        {
            for (const auto& setting : current->settings)
            {
                if (setting.first == key)
                    return fail(error, source, number, "\"" + key + "\" is set twice");
            }
            current->settings.emplace_back(key, value);
        }
    }
    if (current && !finishBlock(*current, source, error)) return false;
    if (bank.list.empty())
    {
        error = source + ": no presets";
        return false;
    }
    return true;
}

const BankPreset* FactoryBank::find(const std::string& name) const
{
    const std::string wanted = foldCase(name);
    for (const BankPreset& preset : list)
    {
        if (foldCase(preset.name) == wanted) return &preset;
    }
    return nullptr;
}

} // namespace Steinberg::Vst::Tarvik::Presets
