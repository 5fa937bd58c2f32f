// SPDX-License-Identifier: GPL-3.0-or-later
// A Standard MIDI File (formats 0 and 1) read into one time-ordered list of channel messages with
// their times in seconds. Tempo changes of every track apply to all tracks; system exclusive and
// meta events other than tempo and end of track are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Steinberg::Vst::Tarvik::Render {

class MidiFile
{
public:
    struct Message
    {
        uint64_t tick;  ///< absolute position in the file's ticks
        double seconds; ///< the same position on the tempo map
        uint8_t status; ///< 0x80..0xEF, channel in the low nibble
        uint8_t data1;
        uint8_t data2; ///< 0 for messages with one data byte
        uint16_t track;
    };

    /** Files larger than this are refused before they are read. */
    static constexpr uint64_t kMaxFileSize = 64u * 1024u * 1024u;
    /** Files with more events than this (channel messages and tempo changes) are refused before
        any is stored: three bytes of a file can be one event, which takes 24 bytes here. At the
        limit the events take about 100 MB. */
    static constexpr uint64_t kMaxEvents = 4000000u;

    /** Reads and parses a file; on failure returns false and says why in error. */
    static bool read(const std::string& path, MidiFile& file, std::string& error);
    /** Parses the bytes of a file; on failure returns false and says why in error. */
    static bool parse(const std::vector<uint8_t>& bytes, MidiFile& file, std::string& error);

    /** Channel messages ordered by tick, then by track, then by their order in the track. */
    const std::vector<Message>& messages() const { return list; }
    /** The end of the longest track (its end-of-track event or its last event), in seconds. */
    double lengthSeconds() const { return length; }
    int format() const { return fileFormat; }
    int trackCount() const { return tracks; }

private:
    std::vector<Message> list;
    double length = 0.0;
    int fileFormat = 0;
    int tracks = 0;
};

} // namespace Steinberg::Vst::Tarvik::Render
