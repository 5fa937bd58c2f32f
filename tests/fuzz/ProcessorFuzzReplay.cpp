// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the fuzz target without libFuzzer: over the files named on the command line (a corpus or
// a crash to reproduce), or over pseudo-random inputs from a fixed seed so that every run checks
// the same sessions.
#include "ProcessorFuzzTarget.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    using Steinberg::Vst::Tarvik::runProcessorSession;
    int failures = 0;
    if (argc > 1 && std::string(argv[1]) != "--random")
    {
        for (int i = 1; i < argc; ++i)
        {
            std::ifstream file(argv[i], std::ios::binary);
            if (!file)
            {
                std::fprintf(stderr, "cannot read %s\n", argv[i]);
                return 2;
            }
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                             std::istreambuf_iterator<char>());
            if (!runProcessorSession(bytes.data(), bytes.size()))
            {
                std::fprintf(stderr, "%s: output not finite\n", argv[i]);
                ++failures;
            }
        }
    }
    else
    {
        const int sessions = argc > 2 ? std::atoi(argv[2]) : 200;
        std::mt19937 generator(20261208);
        for (int n = 0; n < sessions; ++n)
        {
            std::vector<uint8_t> bytes(64 + generator() % 2048);
            for (uint8_t& b : bytes)
                b = static_cast<uint8_t>(generator());
            if (!runProcessorSession(bytes.data(), bytes.size()))
            {
                // Keep the input so that it can be replayed and debugged.
                const std::string name = "fuzz-failure-" + std::to_string(n) + ".bin";
                std::ofstream(name, std::ios::binary)
                    .write(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<std::streamsize>(bytes.size()));
                std::fprintf(stderr, "session %d: output not finite (input kept in %s)\n", n,
                             name.c_str());
                ++failures;
            }
        }
        std::printf("%d sessions, %d with samples that are not finite\n", sessions, failures);
    }
    return failures == 0 ? 0 : 1;
}
