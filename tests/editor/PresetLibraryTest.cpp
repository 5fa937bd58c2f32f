// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's presets: the compiled factory bank, the user's folder with whatever else lies in
// it (the installed bank, damaged and foreign files), and saving with its refusals.
#include "PresetLibrary.h"
#include "BraskCids.h"
#include "FactoryPresets.h"
#include "ProcessorState.h"
#include "ScratchFolder.h"
#include "VstPresetFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> stateBytes(std::vector<double> values)
{
    Presets::ProcessorState state;
    state.values = std::move(values);
    return state.bytes();
}

std::vector<uint8_t> presetFile(const FUID& classId, const std::vector<uint8_t>& state,
                                const std::string& name, const std::string& category)
{
    return Presets::VstPresetFile::compose(
        classId, state, {}, Presets::VstPresetFile::metaInfoXml({name, category, "", ""}));
}

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::vector<double> factoryValues(int32_t index)
{
    const FactoryPreset& preset = *FactoryPresets::at(index);
    return std::vector<double>(std::begin(preset.values), std::end(preset.values));
}

TEST(PresetLibrary, FactoryBankComesFromTheModuleInItsOrder)
{
    PresetLibrary library(fs::path{});
    library.refresh();
    ASSERT_EQ(library.presets().size(), static_cast<size_t>(FactoryPresets::count()));
    EXPECT_EQ(library.presets().front().name, "Init");
    for (int32_t i = 0; i < FactoryPresets::count(); ++i)
    {
        const LibraryPreset& entry = library.presets()[static_cast<size_t>(i)];
        EXPECT_EQ(entry.name, FactoryPresets::at(i)->name);
        EXPECT_EQ(entry.category, FactoryPresets::at(i)->category);
        EXPECT_TRUE(entry.file.empty());
        EXPECT_EQ(std::memcmp(entry.values.data(), FactoryPresets::at(i)->values,
                              sizeof FactoryPresets::at(i)->values),
                  0);
    }
}

TEST(PresetLibrary, UserFolderListsOnlyTheUsersOwnReadablePresetsByName)
{
    TestSupport::ScratchFolder folder{"brask-presets"};
    const int32_t acid = 2; // "Acid Squelch", a Bass
    ASSERT_STREQ(FactoryPresets::at(acid)->name, "Acid Squelch");
    std::vector<double> changed = factoryValues(acid);
    changed[kVcfFreq] = 0.25;
    std::vector<uint8_t> truncated = presetFile(kBraskProcessorUID, stateBytes(changed), "Cut", "");
    truncated.resize(truncated.size() / 2);
    const FUID otherPlugIn(1, 2, 3, 4);
    struct File
    {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const File files[] = {
        {"zeta.vstpreset", presetFile(kBraskProcessorUID, stateBytes(changed), "zeta", "")},
        {"Alpha.vstpreset", presetFile(kBraskProcessorUID, stateBytes(changed), "Alpha", "Bass")},
        // the installed copy of a factory preset, and a user's own sound under the same name
        {"Acid Squelch.vstpreset",
         presetFile(kBraskProcessorUID, stateBytes(factoryValues(acid)), "Acid Squelch", "Bass")},
        {"Init.vstpreset", presetFile(kBraskProcessorUID, stateBytes(changed), "Init", "Init")},
        // a state of an older version with three values: the rest keep what plays
        {"Short.vstpreset", presetFile(kBraskProcessorUID, stateBytes({0.1, 0.2, 0.3}), "", "")},
        {"Other.vstpreset", presetFile(otherPlugIn, stateBytes(changed), "Other", "")},
        // a name written under another encoding than UTF-8 ("Lé" in Latin-1)
        {"L\xe9.vstpreset", presetFile(kBraskProcessorUID, stateBytes(changed), "", "")},
        {"Cut.vstpreset", truncated},
        {"Noise.vstpreset", std::vector<uint8_t>(300, 0x5A)},
        {"Empty.vstpreset", {}},
        {"notes.txt", presetFile(kBraskProcessorUID, stateBytes(changed), "notes", "")},
    };
    for (const File& file : files)
        writeFile(folder.path / file.name, file.bytes);
    fs::create_directories(folder.path / "Folder.vstpreset");

    PresetLibrary library(folder.path);
    library.refresh();
    const auto factory = static_cast<size_t>(FactoryPresets::count());
    ASSERT_EQ(library.presets().size(), factory + 5);
    const char* const expected[] = {"Alpha", "Init", "L\xef\xbf\xbd", "Short", "zeta"};
    const char* const stems[] = {"Alpha", "Init", "L\xe9", "Short", "zeta"};
    for (size_t i = 0; i < 5; ++i)
    {
        const LibraryPreset& entry = library.presets()[factory + i];
        EXPECT_EQ(entry.name, expected[i]);
        EXPECT_EQ(entry.category, "User");
        EXPECT_EQ(entry.file, folder.path / (std::string(stems[i]) + ".vstpreset"));
    }
    const LibraryPreset& shortState = library.presets()[factory + 3];
    EXPECT_EQ(shortState.values[2], 0.3);
    EXPECT_TRUE(std::isnan(shortState.values[3]));
    EXPECT_EQ(library.presets()[factory].values[kVcfFreq], 0.25);
    EXPECT_EQ(library.find("Init", "User"), static_cast<int32_t>(factory + 1));
    EXPECT_EQ(library.find("Init", "Init"), 0);
    EXPECT_EQ(library.find("Other", "User"), -1);

    // A folder that is gone leaves the factory bank.
    fs::remove_all(folder.path);
    library.refresh();
    EXPECT_EQ(library.presets().size(), factory);
}

TEST(PresetLibrary, NamesThatCannotNameAFileOnEitherSystemAreRefusedWithAReason)
{
    struct Case
    {
        std::string name;
        const char* because; // part of the reason; null for a usable name
    };
    const Case cases[] = {
        {"", "needs a name"},
        {"a/b", "cannot hold"},
        {"a\\b", "cannot hold"},
        {"why?", "cannot hold"},
        {"tab\there", "cannot hold"},
        {" Lead", "space"},
        {".hidden", "start with a dot"},
        {"Lead.", "end with a dot"},
        {"con", "device"},
        {"COM1", "device"},
        {"lpt9.bass", "device"},
        {std::string(101, 'x'), "at most 100"},
        {"\xff\xfe", "not readable"},
        {"\xc0\xaf", "not readable"},     // an overlong "/"
        {"\xed\xa0\x80", "not readable"}, // a surrogate
        {"Bass 2 (soft)", nullptr},
        {"B\xc3\xa4ss", nullptr},
        {"Console", nullptr},
        {std::string(100, 'x'), nullptr},
    };
    for (const Case& c : cases)
    {
        const std::string problem = PresetLibrary::nameProblem(c.name);
        if (!c.because)
            EXPECT_EQ(problem, "") << c.name;
        else
            EXPECT_NE(problem.find(c.because), std::string::npos) << c.name << ": " << problem;
    }
    EXPECT_EQ(PresetLibrary::tidyName("  My Lead \t"), "My Lead");
}

TEST(PresetLibrary, SavingWritesAUserPresetAndReplacesOnlyWhenAsked)
{
    TestSupport::ScratchFolder scratch{"brask-presets"};
    const fs::path folder = scratch.path / "presets" / "Tarvik" / "Brask"; // made on saving
    PresetLibrary library(folder);
    std::vector<double> values = factoryValues(5);
    const std::vector<uint8_t> first = stateBytes(values);
    values[kNoise] = 0.75;
    const std::vector<uint8_t> second = stateBytes(values);
    std::string error;

    ASSERT_FALSE(library.userPresetExists("Mine"));
    ASSERT_TRUE(library.saveUserPreset("Mine", first, {}, false, error)) << error;
    EXPECT_TRUE(library.userPresetExists("Mine"));
    Presets::VstPreset file;
    ASSERT_TRUE(Presets::VstPresetFile::read(folder / "Mine.vstpreset", file, error)) << error;
    EXPECT_EQ(file.classId, kBraskProcessorUID);
    EXPECT_EQ(file.componentState, first);
    EXPECT_TRUE(file.hasControllerState);
    EXPECT_EQ(Presets::VstPresetFile::metaInfoValue(file.metaInfo, "Name"), "Mine");
    EXPECT_EQ(Presets::VstPresetFile::metaInfoValue(file.metaInfo, "MusicalCategory"), "User");
    EXPECT_EQ(Presets::VstPresetFile::metaInfoValue(file.metaInfo, "PlugInName"), "Brask");

    // Without the user's yes the file stays as it was.
    EXPECT_FALSE(library.saveUserPreset("Mine", second, {}, false, error));
    EXPECT_NE(error.find("exists"), std::string::npos) << error;
    ASSERT_TRUE(Presets::VstPresetFile::read(folder / "Mine.vstpreset", file, error));
    EXPECT_EQ(file.componentState, first);
    ASSERT_TRUE(library.saveUserPreset("Mine", second, {}, true, error)) << error;
    ASSERT_TRUE(Presets::VstPresetFile::read(folder / "Mine.vstpreset", file, error));
    EXPECT_EQ(file.componentState, second);

    EXPECT_FALSE(library.saveUserPreset("a/b", first, {}, false, error));
    EXPECT_NE(error.find("cannot hold"), std::string::npos) << error;

    library.refresh();
    const int32_t mine = library.find("Mine", "User");
    ASSERT_GE(mine, 0);
    EXPECT_EQ(library.presets()[static_cast<size_t>(mine)].values[kNoise], 0.75);
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(folder), fs::directory_iterator()),
              std::vector<fs::path>{folder / "Mine.vstpreset"}); // nothing half-written left
}

TEST(PresetLibrary, AFolderThatCannotBeMadeRefusesTheSaveAndWritesNothing)
{
    TestSupport::ScratchFolder scratch{"brask-presets"};
    writeFile(scratch.path / "file", {1, 2, 3});
    for (const fs::path& folder : {scratch.path / "file" / "Brask", fs::path{}})
    {
        PresetLibrary library(folder);
        std::string error;
        EXPECT_FALSE(library.saveUserPreset("Mine", stateBytes({0.5}), {}, false, error));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(library.userPresetExists("Mine"));
    }
    EXPECT_EQ(fs::file_size(scratch.path / "file"), 3u);
}

} // namespace
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
