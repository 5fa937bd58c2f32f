// SPDX-License-Identifier: GPL-3.0-or-later
// A file written under a temporary name beside its target and renamed over the target only when
// complete, so that a failed or interrupted run never leaves a partial file under the real name.
#pragma once

#include <string>

namespace Steinberg::Vst::Tarvik::Render {

class PendingFile
{
public:
    PendingFile() = default;
    /** Removes the temporary file unless it was committed. */
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    /** Creates the temporary file beside target and returns its open descriptor, or -1 with a
        message in error (the target's folder is missing or not writable, the target exists but
        is not a regular file, its links loop). A symbolic link is followed: the file it points
        to is the one replaced. The descriptor belongs to the caller. */
    int create(const std::string& target, std::string& error);

    /** Renames the finished temporary file to the target. */
    bool commit(std::string& error);
    /** Removes the temporary file now. */
    void discard();

    const std::string& temporaryPath() const { return temporary; }
    /** The file that commit replaces: the target with its symbolic links followed. */
    const std::string& targetPath() const { return target; }

private:
    std::string target;
    std::string temporary;
};

} // namespace Steinberg::Vst::Tarvik::Render
