// SPDX-License-Identifier: GPL-3.0-or-later
// .vstpreset files as written here: the SDK's reader agrees with ours, and ours refuses every
// file whose sizes or offsets do not fit.
#include "VstPresetFile.h"

#include "base/source/fobject.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/vstpresetfile.h"

#include <gtest/gtest.h>

#include <functional>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Presets {
namespace {

const FUID kClass(0x12345678, 0x9ABCDEF0, 0x0F1E2D3C, 0x4B5A6978);

struct Composed
{
    // A processor state: a count of one, the value 0.5 and the bypass word.
    std::vector<uint8_t> component = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F, 0, 0, 0, 0};
    std::vector<uint8_t> controller = {};
    std::string xml =
        VstPresetFile::metaInfoXml({"Rock & \"Roll\" <1>", "Bass", "Tarvik", "Loud, then soft."});
    std::vector<uint8_t> bytes = VstPresetFile::compose(kClass, component, controller, xml);

    uint64_t listOffset() const
    {
        uint64_t offset = 0;
        for (int i = 7; i >= 0; --i)
            offset = (offset << 8) | bytes[40 + static_cast<size_t>(i)];
        return offset;
    }
    void put(uint64_t at, uint64_t value, int size)
    {
        for (int i = 0; i < size; ++i)
            bytes[at + static_cast<uint64_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
    /** Chunk list entry 0 is 'Comp': its offset field, then its size field. */
    uint64_t componentEntry() const { return listOffset() + 8; }
    uint64_t componentOffset() const
    {
        uint64_t offset = 0;
        for (int i = 7; i >= 0; --i)
            offset = (offset << 8) | bytes[componentEntry() + 4 + static_cast<size_t>(i)];
        return offset;
    }
};

TEST(PresetFile, TheSdkReaderAndOursReadTheSameFile)
{
    const Composed file;
    ASSERT_FALSE(file.bytes.empty());
    VstPreset ours;
    std::string error;
    ASSERT_TRUE(VstPresetFile::parse(file.bytes, ours, error)) << error;
    EXPECT_EQ(ours.classId, kClass);
    EXPECT_EQ(ours.componentState, file.component);
    EXPECT_TRUE(ours.hasControllerState);
    EXPECT_TRUE(ours.controllerState.empty());
    EXPECT_EQ(ours.metaInfo, file.xml);
    EXPECT_EQ(VstPresetFile::metaInfoValue(ours.metaInfo, "Name"), "Rock & \"Roll\" <1>");
    EXPECT_EQ(VstPresetFile::metaInfoValue(ours.metaInfo, "MusicalInstrument"), "Synth|Synth Bass");
    EXPECT_EQ(VstPresetFile::metaInfoValue(ours.metaInfo, "Missing"), "");

    std::vector<uint8_t> copy = file.bytes;
    IPtr<MemoryStream> stream =
        owned(new MemoryStream(copy.data(), static_cast<TSize>(copy.size())));
    PresetFile sdk(stream);
    ASSERT_TRUE(sdk.readChunkList());
    EXPECT_EQ(sdk.getClassID(), kClass);
    ASSERT_TRUE(sdk.contains(kComponentState) && sdk.contains(kControllerState));
    EXPECT_EQ(sdk.getEntry(kComponentState)->size, static_cast<TSize>(file.component.size()));
    int32 size = 0;
    ASSERT_TRUE(sdk.readMetaInfo(nullptr, size));
    std::string xml(static_cast<size_t>(size), '\0');
    ASSERT_TRUE(sdk.readMetaInfo(&xml[0], size));
    EXPECT_EQ(xml, file.xml);
}

TEST(PresetFile, EveryTruncationIsRefused)
{
    const Composed file;
    for (size_t size = 0; size < file.bytes.size(); ++size)
    {
        const std::vector<uint8_t> cut(file.bytes.begin(),
                                       file.bytes.begin() + static_cast<std::ptrdiff_t>(size));
        VstPreset preset;
        std::string error;
        EXPECT_FALSE(VstPresetFile::parse(cut, preset, error)) << size << " bytes";
        EXPECT_FALSE(error.empty());
    }
}

TEST(PresetFile, DamagedHeadersListsAndChunksAreRefused)
{
    const struct
    {
        const char* what;
        std::function<void(Composed&)> damage;
        const char* message;
    } cases[] = {
        {"magic", [](Composed& f) { f.bytes[0] = 'X'; }, "not a VST 3 preset"},
        {"class ID", [](Composed& f) { f.bytes[9] = 'g'; }, "class ID"},
        {"list past the end", [](Composed& f) { f.put(40, f.bytes.size(), 8); }, "chunk list"},
        {"list in the header", [](Composed& f) { f.put(40, 12, 8); }, "chunk list"},
        {"list ID", [](Composed& f) { f.bytes[f.listOffset()] = 'l'; }, "chunk list"},
        {"no chunks", [](Composed& f) { f.put(f.listOffset() + 4, 0, 4); }, "chunk list"},
        {"too many chunks", [](Composed& f) { f.put(f.listOffset() + 4, 4, 4); }, "chunk list"},
        {"chunk past the end",
         [](Composed& f) { f.put(f.componentEntry() + 4, f.bytes.size() + 100, 8); },
         "outside the file"},
        {"chunk in the header", [](Composed& f) { f.put(f.componentEntry() + 4, 8, 8); },
         "outside the file"},
        {"chunk into the list",
         [](Composed& f) { f.put(f.componentEntry() + 12, f.bytes.size(), 8); },
         "outside the file"},
        {"chunk size overflowing",
         [](Composed& f) { f.put(f.componentEntry() + 12, ~uint64_t(0) - 8, 8); },
         "outside the file"},
        {"no processor state", [](Composed& f) { f.bytes[f.componentEntry()] = 'X'; },
         "no processor state"},
        {"empty processor state", [](Composed& f) { f.put(f.componentEntry() + 12, 0, 8); },
         "no processor state"},
        {"one byte of processor state", [](Composed& f) { f.put(f.componentEntry() + 12, 1, 8); },
         "processor state is cut short"},
        {"processor state without its bypass word",
         [](Composed& f) { f.put(f.componentEntry() + 12, 12, 8); },
         "processor state is cut short"},
        {"more values than the state holds", [](Composed& f) { f.put(f.componentOffset(), 2, 4); },
         "processor state is cut short"},
        {"a negative count", [](Composed& f) { f.put(f.componentOffset(), 0xFFFFFFFF, 4); },
         "processor state is damaged"},
        {"no values", [](Composed& f) { f.put(f.componentOffset(), 0, 4); },
         "processor state is damaged"},
    };
    for (const auto& c : cases)
    {
        Composed file;
        c.damage(file);
        VstPreset preset;
        std::string error;
        EXPECT_FALSE(VstPresetFile::parse(file.bytes, preset, error)) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    }
}

} // namespace
} // namespace Presets
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
