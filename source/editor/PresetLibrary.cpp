// SPDX-License-Identifier: GPL-3.0-or-later
#include "PresetLibrary.h"

#include "BraskCids.h"
#include "FactoryPresets.h"
#include "ProcessorState.h"
#include "VstPresetFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <system_error>
#include <tuple>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace fs = std::filesystem;

namespace {

/** Longest name in characters: long enough for any title, short of every file system's limit
    with the extension. */
constexpr size_t kMaxNameCharacters = 100;

std::string foldCase(const std::string& text)
{
    std::string folded = text;
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

/** The length of the well-formed UTF-8 sequence at `at` (no overlong forms, no surrogates);
    0 where there is none. */
size_t sequenceAt(const std::string& text, size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x6  ? 2
                          : (lead >> 4) == 0xE  ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    if (length <= 1 || at + length > text.size()) return length == 1 ? 1 : 0;
    uint32_t cp = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k)
    {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

/** Code points of well-formed UTF-8; false for anything else. */
bool countCharacters(const std::string& text, size_t& count)
{
    count = 0;
    for (size_t i = 0; i < text.size(); ++count)
    {
        const size_t length = sequenceAt(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

/** A file name as the menu can show it: bytes that are no UTF-8 (a file made under another
    encoding) become U+FFFD. */
std::string readable(const std::string& name)
{
    std::string out;
    for (size_t i = 0; i < name.size();)
    {
        const size_t length = sequenceAt(name, i);
        if (length == 0)
        {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        out.append(name, i, length);
        i += length;
    }
    return out;
}

/** Names Windows keeps for devices, with any extension after them. */
bool isDeviceName(const std::string& name)
{
    std::string base = foldCase(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (const char* device : {"con", "prn", "aux", "nul"})
    {
        if (base == device) return true;
    }
    return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

/** The sound values of a processor state by the processor's rules. */
std::array<double, kSoundParamCount> soundValues(const Presets::ProcessorState& state)
{
    std::array<double, kSoundParamCount> values;
    values.fill(std::numeric_limits<double>::quiet_NaN());
    const size_t known = std::min(values.size(), state.values.size());
    for (size_t i = 0; i < known; ++i)
    {
        const double value = state.values[i];
        if (value >= 0.0 && value <= 1.0) values[i] = value;
    }
    return values;
}

bool sameSound(const std::array<double, kSoundParamCount>& values, const FactoryPreset& preset)
{
    return std::memcmp(values.data(), preset.values, sizeof preset.values) == 0;
}

bool writeWhole(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

} // namespace

PresetLibrary::PresetLibrary(fs::path userFolder) : folder(std::move(userFolder))
{
    for (int32_t i = 0; i < FactoryPresets::count(); ++i)
    {
        const FactoryPreset& preset = *FactoryPresets::at(i);
        LibraryPreset entry{preset.name, preset.category, {}, {}};
        std::copy(std::begin(preset.values), std::end(preset.values), entry.values.begin());
        list.push_back(std::move(entry));
    }
    factoryCount = list.size();
}

void PresetLibrary::refresh()
{
    list.resize(factoryCount);
    if (folder.empty()) return;

    std::vector<LibraryPreset> user;
    std::error_code failure;
    // Stepped with an error code: a folder that goes away or turns unreadable while it is read
    // ends the list instead of throwing out of the menu.
    const fs::directory_iterator end;
    for (fs::directory_iterator next(folder, failure); !failure && next != end;
         next.increment(failure))
    {
        const fs::directory_entry& item = *next;
        std::error_code notFile;
        if (item.path().extension() != kFileExtension || !item.is_regular_file(notFile)) continue;
        Presets::VstPreset file;
        Presets::ProcessorState state;
        std::string damage;
        if (!Presets::VstPresetFile::read(item.path(), file, damage) ||
            file.classId != kBraskProcessorUID ||
            !Presets::ProcessorState::read(file.componentState, state))
            continue;
        LibraryPreset entry{readable(item.path().stem().u8string()), kUserCategory,
                            soundValues(state), item.path()};
        // The installed factory bank lies in the same folder: the module has those already.
        const int32_t factory =
            find(entry.name, file.metaInfo.empty() ? std::string()
                                                   : Presets::VstPresetFile::metaInfoValue(
                                                         file.metaInfo, "MusicalCategory"));
        if (factory >= 0 && static_cast<size_t>(factory) < factoryCount &&
            sameSound(entry.values, *FactoryPresets::at(factory)))
            continue;
        user.push_back(std::move(entry));
    }
    std::sort(user.begin(), user.end(), [](const LibraryPreset& a, const LibraryPreset& b) {
        return std::make_tuple(foldCase(a.name), a.name) <
               std::make_tuple(foldCase(b.name), b.name);
    });
    for (LibraryPreset& entry : user)
        list.push_back(std::move(entry));
}

int32_t PresetLibrary::find(const std::string& name, const std::string& category) const
{
    for (size_t i = 0; i < list.size(); ++i)
    {
        if (list[i].name == name && list[i].category == category) return static_cast<int32_t>(i);
    }
    return -1;
}

std::string PresetLibrary::tidyName(const std::string& name)
{
    const size_t first = name.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return name.substr(first, name.find_last_not_of(" \t\r\n") - first + 1);
}

std::string PresetLibrary::nameProblem(const std::string& name)
{
    size_t characters = 0;
    if (name.empty()) return "A preset needs a name.";
    if (!countCharacters(name, characters)) return "The name is not readable text.";
    if (characters > kMaxNameCharacters)
        return "A name has at most " + std::to_string(kMaxNameCharacters) + " characters.";
    for (const char c : name)
    {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("/\\:*?\"<>|", c))
            return "A name cannot hold / \\ : * ? \" < > | or control characters.";
    }
    if (name != tidyName(name)) return "A name cannot start or end with a space.";
    if (name.front() == '.') return "A name cannot start with a dot.";
    if (name.back() == '.') return "A name cannot end with a dot.";
    if (isDeviceName(name)) return "Windows keeps the name \"" + name + "\" for a device.";
    return "";
}

bool PresetLibrary::userPresetExists(const std::string& name) const
{
    std::error_code failure;
    return !folder.empty() && fs::exists(folder / fs::u8path(name + kFileExtension), failure);
}

bool PresetLibrary::saveUserPreset(const std::string& name,
                                   const std::vector<uint8_t>& componentState,
                                   const std::vector<uint8_t>& controllerState, bool replace,
                                   std::string& error) const
{
    const std::string problem = nameProblem(name);
    if (!problem.empty())
    {
        error = problem;
        return false;
    }
    if (folder.empty())
    {
        error = "There is no folder for your presets.";
        return false;
    }
    std::error_code failure;
    fs::create_directories(folder, failure);
    if (failure || !fs::is_directory(folder, failure))
    {
        error = "The folder " + folder.u8string() + " cannot be made: " + failure.message();
        return false;
    }
    const fs::path path = folder / fs::u8path(name + kFileExtension);
    if (!replace && fs::exists(path, failure))
    {
        error = "A preset \"" + name + "\" exists already.";
        return false;
    }

    const Presets::PresetInfo info{name, kUserCategory, "", ""};
    const std::vector<uint8_t> bytes =
        Presets::VstPresetFile::compose(kBraskProcessorUID, componentState, controllerState,
                                        Presets::VstPresetFile::metaInfoXml(info));
    // The new file is written beside the old one and takes its place only once complete: a full
    // disk or a lost write keeps the preset that was there.
    fs::path partial = path;
    partial += ".part";
    if (bytes.empty() || !writeWhole(partial, bytes))
    {
        fs::remove(partial, failure);
        error = "The preset cannot be written to " + folder.u8string() + ".";
        return false;
    }
    fs::rename(partial, path, failure);
    if (failure && replace)
    {
        // Where renaming cannot replace a file (some Windows C runtimes), the old one goes first.
        fs::remove(path, failure);
        fs::rename(partial, path, failure);
    }
    if (failure)
    {
        fs::remove(partial, failure);
        error = "The preset cannot be written to " + folder.u8string() + ".";
        return false;
    }
    return true;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
