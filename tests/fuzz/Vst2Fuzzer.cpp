// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry for the VST 2 session: build with clang and -DBRASK_FUZZ=ON.
#include "FuzzTargets.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!Steinberg::Vst::Tarvik::runVst2Session(data, size)) std::abort();
    return 0;
}
