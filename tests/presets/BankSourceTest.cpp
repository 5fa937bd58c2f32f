// SPDX-License-Identifier: GPL-3.0-or-later
// The bank's source format: what it refuses, and what the shipped bank holds.
#include "FactoryBank.h"

#include <gtest/gtest.h>

#include <set>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Presets {
namespace {

const char* const kGoodBlock = "[Bass One]\ncategory = Bass\nauthor = Tarvik\n"
                               "description = A bass.\nVCF Freq = 0.3\n";

TEST(BankSource, ParsesBlocksWithSettingsInOrder)
{
    FactoryBank bank;
    std::string error;
    ASSERT_TRUE(FactoryBank::parse(std::string("# comment\n\n") + kGoodBlock +
                                       "Glide = \"Mono\"\n[Lead]\ncategory = Lead\n"
                                       "author = Tarvik\ndescription = A lead.\n",
                                   "bank", bank, error))
        << error;
    ASSERT_EQ(bank.presets().size(), 2u);
    const BankPreset& bass = bank.presets()[0];
    EXPECT_EQ(bass.name, "Bass One");
    EXPECT_EQ(bass.description, "A bass.");
    ASSERT_EQ(bass.settings.size(), 2u);
    EXPECT_EQ(bass.settings[1], std::make_pair(std::string("Glide"), std::string("\"Mono\"")));
    EXPECT_EQ(bank.find("bass ONE"), &bass);
    EXPECT_EQ(presetFileName(bass), "Bass One.vstpreset");
}

TEST(BankSource, RefusesDamagedSourcesWithFileAndLine)
{
    const std::string header = "[A]\ncategory = Bass\nauthor = Tarvik\ndescription = d\n";
    const struct
    {
        std::string text;
        std::string message;
    } cases[] = {
        {"", "bank: no presets"},
        {"VCF Freq = 0.3\n", "bank:1: a setting before the first [Name]"},
        {"[A\n", "bank:1: a preset name ends with ']'"},
        {"[A/B]\n", "bank:1: \"A/B\" cannot name a preset file"},
        {"[..]\n", "cannot name a preset file"},
        {"[A]\nauthor = Tarvik\ndescription = d\n", "bank:1: preset \"A\" has no category"},
        {"[A]\ncategory = Bass\nauthor = Tarvik\n", "has no description"},
        {"[A]\ncategory = B/C\nauthor = Tarvik\ndescription = d\n", "cannot name a folder"},
        {header + "[a]\n", "bank:5: a second preset named \"a\""},
        {header + "Noise = 0.1\nNoise = 0.2\n", "bank:6: \"Noise\" is set twice"},
        {header + "Noise\n", "bank:5: expected \"key = value\""},
        {header + "Noise =\n", "needs both key and value"},
    };
    for (const auto& c : cases)
    {
        FactoryBank bank;
        std::string error;
        EXPECT_FALSE(FactoryBank::parse(c.text, "bank", bank, error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << "\n" << error;
    }
}

TEST(BankSource, TheShippedBankCoversEveryCategory)
{
    FactoryBank bank;
    std::string error;
    ASSERT_TRUE(FactoryBank::read(BRASK_BANK_SOURCE, bank, error)) << error;
    EXPECT_GE(bank.presets().size(), 41u);
    ASSERT_NE(bank.find("Init"), nullptr);
    EXPECT_TRUE(bank.find("Init")->settings.empty()) << "Init is the sound of a new instance";

    std::set<std::string> categories;
    for (const BankPreset& preset : bank.presets())
    {
        categories.insert(preset.category);
        EXPECT_EQ(preset.author, "Tarvik") << preset.name;
    }
    const std::set<std::string> expected = {"Init",  "Bass", "Lead",  "Pad",   "Strings",
                                            "Brass", "Keys", "Pluck", "Glide", "Effects"};
    EXPECT_EQ(categories, expected);
}

} // namespace
} // namespace Presets
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
