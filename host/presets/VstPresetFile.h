// SPDX-License-Identifier: GPL-3.0-or-later
// .vstpreset files: a careful reader that checks every size and offset before it trusts them, and
// a writer built on the SDK's PresetFile. A file holds a header with the processor's class ID, the
// chunks ('Comp' processor state, 'Cont' controller state, 'Info' XML attributes) and, at the end,
// the list of chunks with their offsets and sizes.
#pragma once

#include "pluginterfaces/base/funknown.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Steinberg::Vst::Tarvik::Presets {

struct VstPreset
{
    FUID classId;
    std::vector<uint8_t> componentState;
    std::vector<uint8_t> controllerState;
    bool hasControllerState = false;
    std::string metaInfo; ///< the 'Info' chunk's XML, empty when there is none
};

/** The attributes hosts show and filter by, in the 'Info' chunk. */
struct PresetInfo
{
    std::string name;
    std::string category; ///< the bank's category, also the folder name
    std::string author;
    std::string description;
};

class VstPresetFile
{
public:
    /** Files larger than this are refused before they are read. */
    static constexpr uint64_t kMaxFileSize = 16u * 1024u * 1024u;

    /** Parses the bytes of a file; false with the reason when anything does not fit. */
    static bool parse(const std::vector<uint8_t>& bytes, VstPreset& preset, std::string& error);
    /** Reads and parses a file; messages name the path. */
    static bool read(const std::string& path, VstPreset& preset, std::string& error);

    /** The bytes of a preset file with a 'Comp', a 'Cont' and an 'Info' chunk. */
    static std::vector<uint8_t> compose(const FUID& classId,
                                        const std::vector<uint8_t>& componentState,
                                        const std::vector<uint8_t>& controllerState,
                                        const std::string& metaInfo);

    /** The 'Info' XML for a Brask preset. */
    static std::string metaInfoXml(const PresetInfo& info);
    /** The value of one attribute of an 'Info' XML; empty when it has none. */
    static std::string metaInfoValue(const std::string& xml, const std::string& id);
};

} // namespace Steinberg::Vst::Tarvik::Presets
