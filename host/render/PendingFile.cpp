// SPDX-License-Identifier: GPL-3.0-or-later
// What the pending file does alike everywhere; making the temporary file differs by platform
// (PendingFilePosix.cpp, PendingFileWindows.cpp).
#include "PendingFile.h"
#include "RenderPlatform.h"

namespace Steinberg::Vst::Tarvik::Render {

PendingFile::~PendingFile()
{
    discard();
}

bool PendingFile::commit(std::string& error)
{
    if (temporary.empty())
    {
        error = "nothing was written to " + target;
        return false;
    }
    std::string reason;
    if (!Platform::replaceFile(temporary, target, reason))
    {
        error = "cannot write " + target + ": " + reason;
        discard();
        return false;
    }
    temporary.clear();
    return true;
}

void PendingFile::discard()
{
    if (temporary.empty()) return;
    Platform::removeFile(temporary);
    temporary.clear();
}

} // namespace Steinberg::Vst::Tarvik::Render
