// SPDX-License-Identifier: GPL-3.0-or-later
// The factory bank's source: a plain-text file of preset blocks. Each block starts with the
// preset's name in brackets and holds "key = value" lines: category, author and description, and
// any parameter by its title with a display text or a normalized value. Parameters a block leaves
// out keep the values of a new instance ("Init"). Lines starting with '#' are comments.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Steinberg::Vst::Tarvik::Presets {

struct BankPreset
{
    std::string name;
    std::string category;
    std::string author;
    std::string description;
    /** Parameter title and value text, in the order written. */
    std::vector<std::pair<std::string, std::string>> settings;
    int line = 0; ///< where the block starts, for messages
};

class FactoryBank
{
public:
    /** Reads and parses a bank file; false with a one-line message naming file and line. */
    static bool read(const std::string& path, FactoryBank& bank, std::string& error);
    /** Parses the text of a bank; source names it in messages. */
    static bool parse(const std::string& text, const std::string& source, FactoryBank& bank,
                      std::string& error);

    const std::vector<BankPreset>& presets() const { return list; }
    /** The preset of this name, compared case-insensitively; null if there is none. */
    const BankPreset* find(const std::string& name) const;

private:
    std::vector<BankPreset> list;
};

/** A setting's value written as a plain decimal number, as the bank and brask-render read one
    (surrounding blanks allowed); false for anything else, "nan", "inf" and hexadecimal forms
    included. */
bool parseNumber(const std::string& text, double& value);
/** Lower-case ASCII copy, for comparing names. */
std::string foldCase(const std::string& text);
/** Whether a name can serve as a file or folder name in every host's preset browser. */
bool isUsableName(const std::string& name);
/** The instrument attribute hosts filter by, for a bank category. */
std::string musicalInstrument(const std::string& category);
/** A preset's file in a bank folder: "<Name>.vstpreset", directly in the folder, since some hosts
    list no sub-folders; the category is in the file. */
std::string presetFileName(const BankPreset& preset);

} // namespace Steinberg::Vst::Tarvik::Presets
