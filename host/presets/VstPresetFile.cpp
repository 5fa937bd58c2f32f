// SPDX-License-Identifier: GPL-3.0-or-later
#include "VstPresetFile.h"

#include "FactoryBank.h"

#include "base/source/fobject.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/vstpresetfile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace Steinberg::Vst::Tarvik::Presets {

namespace {

constexpr uint64_t kHeaderSize = 48;    // 'VST3', version, 32-character class ID, list offset
constexpr uint64_t kListEntrySize = 20; // chunk ID, offset, size
constexpr int32_t kMaxChunks = 128;     // what the SDK's reader keeps

uint64_t readLittleEndian(const std::vector<uint8_t>& bytes, uint64_t at, int size)
{
    uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | bytes[at + static_cast<uint64_t>(i)];
    return value;
}

bool hasId(const std::vector<uint8_t>& bytes, uint64_t at, const char* id)
{
    return std::memcmp(bytes.data() + at, id, 4) == 0;
}

std::string escapeXml(const std::string& text)
{
    std::string escaped;
    for (const char c : text)
    {
        switch (c)
        {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string unescapeXml(std::string text)
{
    const std::pair<const char*, char> entities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&amp;", '&'}};
    for (const auto& entity : entities)
    {
        const size_t length = std::strlen(entity.first);
        for (size_t at = text.find(entity.first); at != std::string::npos;
             at = text.find(entity.first, at + 1))
            text.replace(at, length, 1, entity.second);
    }
    return text;
}

/** A processor state is a count, that many 8-byte values and a 4-byte bypass word. A state cut
    short would load as part of a sound, so it is refused here with a reason. */
bool checkProcessorState(const std::vector<uint8_t>& state, std::string& error)
{
    const uint64_t size = state.size();
    const auto count = size >= 4 ? static_cast<int32_t>(readLittleEndian(state, 0, 4)) : 0;
    if (size >= 4 && count <= 0)
    {
        error = "the preset's processor state is damaged (it counts " + std::to_string(count) +
                " values)";
        return false;
    }
    const uint64_t needed = 4 + 8 * static_cast<uint64_t>(std::max(count, 1)) + 4;
    if (size < needed)
    {
        error = "the preset's processor state is cut short (" + std::to_string(size) +
                (size == 1 ? " byte)" : " bytes)");
        return false;
    }
    return true;
}

} // namespace

bool VstPresetFile::parse(const std::vector<uint8_t>& bytes, VstPreset& preset, std::string& error)
{
    const uint64_t size = bytes.size();
    if (size < kHeaderSize || !hasId(bytes, 0, "VST3"))
    {
        error = "not a VST 3 preset file";
        return false;
    }
    char classString[33] = {};
    for (int i = 0; i < 32; ++i)
    {
        const char c = static_cast<char>(bytes[8 + static_cast<uint64_t>(i)]);
        if (!std::isxdigit(static_cast<unsigned char>(c)))
        {
            error = "the preset's class ID is damaged";
            return false;
        }
        classString[i] = c;
    }
    preset.classId.fromString(classString);

    const uint64_t listOffset = readLittleEndian(bytes, 40, 8);
    if (listOffset < kHeaderSize || listOffset > size - 8 || !hasId(bytes, listOffset, "List"))
    {
        error = "the preset's chunk list is missing or damaged";
        return false;
    }
    const auto count = static_cast<int32_t>(readLittleEndian(bytes, listOffset + 4, 4));
    if (count <= 0 || count > kMaxChunks ||
        static_cast<uint64_t>(count) * kListEntrySize > size - listOffset - 8)
    {
        error = "the preset's chunk list is cut short or damaged";
        return false;
    }

    bool hasComponentState = false;
    preset.hasControllerState = false;
    preset.metaInfo.clear();
    for (int32_t i = 0; i < count; ++i)
    {
        const uint64_t entry = listOffset + 8 + static_cast<uint64_t>(i) * kListEntrySize;
        const uint64_t offset = readLittleEndian(bytes, entry + 4, 8);
        const uint64_t length = readLittleEndian(bytes, entry + 12, 8);
        // Chunks lie between the header and the list; checked so that nothing overflows.
        if (offset < kHeaderSize || offset > listOffset || length > listOffset - offset)
        {
            error = "a chunk of the preset lies outside the file";
            return false;
        }
        const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(offset);
        const auto end = begin + static_cast<std::ptrdiff_t>(length);
        if (hasId(bytes, entry, "Comp") && !hasComponentState)
        {
            preset.componentState.assign(begin, end);
            hasComponentState = true;
        }
        else if (hasId(bytes, entry, "Cont") && !preset.hasControllerState)
        {
            preset.controllerState.assign(begin, end);
            preset.hasControllerState = true;
        }
        else if (hasId(bytes, entry, "Info") && preset.metaInfo.empty())
            preset.metaInfo.assign(begin, end);
    }
    if (!hasComponentState || preset.componentState.empty())
    {
        error = "the preset holds no processor state";
        return false;
    }
    return checkProcessorState(preset.componentState, error);
}

bool VstPresetFile::read(const std::string& path, VstPreset& preset, std::string& error)
{
    struct stat info
    {};
    if (stat(path.c_str(), &info) != 0)
    {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode))
    {
        error = path + " is not a file";
        return false;
    }
    if (static_cast<uint64_t>(info.st_size) > kMaxFileSize)
    {
        error = path + " is too large for a preset file";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
    if (!file || !file.read(reinterpret_cast<char*>(bytes.data()),
                            static_cast<std::streamsize>(bytes.size())))
    {
        error = "cannot read " + path;
        return false;
    }
    if (!parse(bytes, preset, error))
    {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::vector<uint8_t> VstPresetFile::compose(const FUID& classId,
                                            const std::vector<uint8_t>& componentState,
                                            const std::vector<uint8_t>& controllerState,
                                            const std::string& metaInfo)
{
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    PresetFile file(stream);
    file.setClassID(classId);
    static const uint8_t nothing = 0;
    const auto data = [](const std::vector<uint8_t>& chunk) {
        return chunk.empty() ? &nothing : chunk.data();
    };
    const bool written =
        file.writeHeader() &&
        file.writeChunk(data(componentState), static_cast<int32>(componentState.size()),
                        kComponentState) &&
        file.writeChunk(data(controllerState), static_cast<int32>(controllerState.size()),
                        kControllerState) &&
        file.writeMetaInfo(metaInfo.c_str(), static_cast<int32>(metaInfo.size())) &&
        file.writeChunkList();
    if (!written) return {};
    const auto* begin = reinterpret_cast<const uint8_t*>(stream->getData());
    return std::vector<uint8_t>(begin, begin + stream->getSize());
}

std::string VstPresetFile::metaInfoXml(const PresetInfo& info)
{
    const std::pair<const char*, std::string> attributes[] = {
        {"MediaType", "VstPreset"},
        {"PlugInName", "Brask"},
        {"PlugInCategory", "Instrument|Synth"},
        {"Name", info.name},
        {"MusicalCategory", info.category},
        {"MusicalInstrument", musicalInstrument(info.category)},
        {"Author", info.author},
        {"Comment", info.description}};
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<MetaInfo>\n";
    for (const auto& attribute : attributes)
    {
        xml += "\t<Attr id=\"" + std::string(attribute.first) + "\" value=\"" +
               escapeXml(attribute.second) + "\" type=\"string\" flags=\"writeProtected\"/>\n";
    }
    return xml + "</MetaInfo>\n";
}

std::string VstPresetFile::metaInfoValue(const std::string& xml, const std::string& id)
{
    const std::string key = "id=\"" + id + "\"";
    const size_t at = xml.find(key);
    if (at == std::string::npos) return "";
    const size_t tagEnd = xml.find('>', at);
    const size_t value = xml.find("value=\"", at);
    if (value == std::string::npos || value > tagEnd) return "";
    const size_t begin = value + 7;
    const size_t end = xml.find('"', begin);
    if (end == std::string::npos) return "";
    return unescapeXml(xml.substr(begin, end - begin));
}

} // namespace Steinberg::Vst::Tarvik::Presets
