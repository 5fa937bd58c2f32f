// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a fuzz target without libFuzzer, over the files named on the command line (a corpus, or
// a crash to reproduce), or over pseudo-random inputs from a fixed seed so that every run checks
// the same sessions. Inputs that fail are kept as fuzz-failure-<target>-<n>.bin.
//
//   brask_fuzz_replay processor|controller|vst2 --random [sessions]
//   brask_fuzz_replay processor|controller|vst2 FILE...
#include "FuzzTargets.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using Target = bool (*)(const uint8_t*, size_t);

bool keep(const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string targetName = argc > 1 ? argv[1] : "";
    Target target = nullptr;
    if (targetName == "processor")
        target = Steinberg::Vst::Tarvik::runProcessorSession;
    else if (targetName == "controller")
        target = Steinberg::Vst::Tarvik::runControllerSession;
#if BRASK_VST2
    else if (targetName == "vst2")
        target = Steinberg::Vst::Tarvik::runVst2Session;
#endif
    if (!target || argc < 3)
    {
        std::fprintf(stderr, "usage: %s processor|controller|vst2 --random [sessions] | FILE...\n",
                     argv[0]);
        return 2;
    }

    int failures = 0;
    if (std::string(argv[2]) == "--random")
    {
        const int sessions = argc > 3 ? std::atoi(argv[3]) : 1000;
        std::mt19937 generator(20261208);
        for (int n = 0; n < sessions; ++n)
        {
            std::vector<uint8_t> bytes(64 + generator() % 2048);
            for (uint8_t& b : bytes)
                b = static_cast<uint8_t>(generator());
            if (target(bytes.data(), bytes.size())) continue;
            const std::string name =
                "fuzz-failure-" + targetName + "-" + std::to_string(n) + ".bin";
            std::fprintf(stderr, "session %d failed%s%s\n", n,
                         keep(name, bytes) ? "; input kept in " : "", name.c_str());
            ++failures;
        }
        std::printf("%s: %d sessions, %d failed\n", targetName.c_str(), sessions, failures);
        return failures == 0 ? 0 : 1;
    }

    for (int i = 2; i < argc; ++i)
    {
        std::ifstream file(argv[i], std::ios::binary);
        if (!file)
        {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 2;
        }
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());
        if (!target(bytes.data(), bytes.size()))
        {
            std::fprintf(stderr, "%s: failed\n", argv[i]);
            ++failures;
        }
    }
    std::printf("%s: %d inputs, %d failed\n", targetName.c_str(), argc - 2, failures);
    return failures == 0 ? 0 : 1;
}
