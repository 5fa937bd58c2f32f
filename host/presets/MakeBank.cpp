// SPDX-License-Identifier: GPL-3.0-or-later
// brask-make-presets: writes the factory bank's .vstpreset files from its source, with the
// plug-in bundle's own controller and processor. The build runs it.
#include "BankBuilder.h"

#include <iostream>

using namespace Steinberg::Vst::Tarvik;

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::cerr << "usage: brask-make-presets BUNDLE BANK-SOURCE OUT-FOLDER\n";
        return 2;
    }
    const auto fail = [](const std::string& message) {
        std::cerr << "brask-make-presets: " << message << std::endl;
        return 1;
    };
    std::string error;
    Presets::FactoryBank bank;
    if (!Presets::FactoryBank::read(argv[2], bank, error)) return fail(error);
    std::unique_ptr<Render::PluginSession> session = Render::PluginSession::open(argv[1], error);
    if (!session) return fail(error);

    Presets::BankBuilder builder(*session);
    size_t written = 0;
    if (!builder.writeBank(bank, argv[3], error, [&](const std::string&) { ++written; }))
        return fail(error);
    std::cout << "brask-make-presets: " << written << " presets in " << argv[3] << std::endl;
    return 0;
}
