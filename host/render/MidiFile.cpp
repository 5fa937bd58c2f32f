// SPDX-License-Identifier: GPL-3.0-or-later
#include "MidiFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace Steinberg::Vst::Tarvik::Render {

namespace {

constexpr uint32_t kDefaultTempo = 500000; // microseconds per quarter note: 120 BPM

struct Tempo
{
    uint64_t tick;
    uint32_t microsPerQuarter;
};

/** Bounds-checked big-endian reading over a byte range. */
class ByteReader
{
public:
    ByteReader(const uint8_t* begin, const uint8_t* end) : pos(begin), end(end) {}

    bool atEnd() const { return pos >= end; }
    size_t remaining() const { return static_cast<size_t>(end - pos); }

    bool byte(uint8_t& value)
    {
        if (pos >= end) return false;
        value = *pos++;
        return true;
    }
    bool peek(uint8_t& value) const
    {
        if (pos >= end) return false;
        value = *pos;
        return true;
    }
    bool u16(uint32_t& value)
    {
        if (remaining() < 2) return false;
        value = (uint32_t(pos[0]) << 8) | pos[1];
        pos += 2;
        return true;
    }
    bool u32(uint32_t& value)
    {
        if (remaining() < 4) return false;
        value =
            (uint32_t(pos[0]) << 24) | (uint32_t(pos[1]) << 16) | (uint32_t(pos[2]) << 8) | pos[3];
        pos += 4;
        return true;
    }
    /** A variable-length quantity: at most four bytes, seven bits each. */
    bool varLength(uint32_t& value, bool& malformed)
    {
        value = 0;
        for (int i = 0; i < 4; ++i)
        {
            uint8_t b = 0;
            if (!byte(b)) return false;
            value = (value << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) return true;
        }
        malformed = true;
        return false;
    }
    bool skip(size_t count)
    {
        if (remaining() < count) return false;
        pos += count;
        return true;
    }
    const uint8_t* position() const { return pos; }

private:
    const uint8_t* pos;
    const uint8_t* end;
};

int dataBytesOf(uint8_t status)
{
    switch (status & 0xF0)
    {
    case 0xC0:
    case 0xD0:
        return 1;
    default:
        return 2;
    }
}

/** Where a track's events go: counted always, stored only when the lists are given. */
struct TrackEvents
{
    std::vector<MidiFile::Message>* messages = nullptr;
    std::vector<Tempo>* tempos = nullptr;
    uint64_t messageCount = 0;
    uint64_t tempoCount = 0;
};

/** Reads one track chunk's events; returns false with error set when the data is damaged. */
bool parseTrack(ByteReader track, uint16_t trackIndex, TrackEvents& events, uint64_t& endTick,
                std::string& error)
{
    const std::string where = "track " + std::to_string(trackIndex + 1);
    uint64_t tick = 0;
    uint8_t runningStatus = 0;
    while (!track.atEnd())
    {
        uint32_t delta = 0;
        bool malformed = false;
        if (!track.varLength(delta, malformed))
        {
            error = malformed ? where + " has an invalid delta time" : where + " is truncated";
            return false;
        }
        tick += delta;

        uint8_t status = 0;
        if (!track.peek(status))
        {
            error = where + " is truncated";
            return false;
        }
        if (status & 0x80)
            track.byte(status);
        else if (runningStatus)
            status = runningStatus; // running status: the byte read next is data
        else
        {
            error = where + " has data without a status byte";
            return false;
        }

        if (status < 0xF0)
        {
            runningStatus = status;
            uint8_t data[2] = {0, 0};
            for (int i = 0; i < dataBytesOf(status); ++i)
            {
                if (!track.byte(data[i]))
                {
                    error = where + " is truncated";
                    return false;
                }
                if (data[i] & 0x80)
                {
                    error = where + " has an invalid data byte";
                    return false;
                }
            }
            ++events.messageCount;
            if (events.messages)
                events.messages->push_back({tick, 0.0, status, data[0], data[1], trackIndex});
        }
        else if (status == 0xFF || status == 0xF0 || status == 0xF7)
        {
            uint8_t type = 0;
            if (status == 0xFF && !track.byte(type))
            {
                error = where + " is truncated";
                return false;
            }
            uint32_t length = 0;
            if (!track.varLength(length, malformed))
            {
                error =
                    malformed ? where + " has an invalid event length" : where + " is truncated";
                return false;
            }
            const uint8_t* data = track.position();
            if (!track.skip(length))
            {
                error = where + " is truncated";
                return false;
            }
            if (status == 0xFF && type == 0x51 && length >= 3)
            {
                ++events.tempoCount;
                if (events.tempos)
                    events.tempos->push_back(
                        {tick, (uint32_t(data[0]) << 16) | (uint32_t(data[1]) << 8) | data[2]});
            }
            if (status == 0xFF && type == 0x2F) break; // end of track: what follows is ignored
        }
        else
        {
            error = where + " has an invalid status byte";
            return false;
        }
    }
    endTick = tick;
    return true;
}

} // namespace

bool MidiFile::read(const std::string& path, MidiFile& file, std::string& error)
{
    struct stat info
    {};
    if (stat(path.c_str(), &info) != 0)
    {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode))
    {
        error = path + " is a folder, not a MIDI file";
        return false;
    }
    if (static_cast<uint64_t>(info.st_size) > kMaxFileSize)
    {
        error = path + " is too large to be a MIDI file";
        return false;
    }

    FILE* stream = std::fopen(path.c_str(), "rb");
    if (!stream)
    {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
    const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), stream);
    const bool failed = std::ferror(stream) != 0;
    std::fclose(stream);
    if (failed)
    {
        error = "cannot read " + path;
        return false;
    }
    bytes.resize(got);

    if (!parse(bytes, file, error))
    {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool MidiFile::parse(const std::vector<uint8_t>& bytes, MidiFile& file, std::string& error)
{
    ByteReader reader(bytes.data(), bytes.data() + bytes.size());
    uint32_t chunkId = 0;
    uint32_t headerLength = 0;
    if (!reader.u32(chunkId) || chunkId != 0x4D546864 /* MThd */)
    {
        error = "not a Standard MIDI File";
        return false;
    }
    uint32_t format = 0;
    uint32_t trackCount = 0;
    uint32_t division = 0;
    if (!reader.u32(headerLength) || headerLength < 6 || !reader.u16(format) ||
        !reader.u16(trackCount) || !reader.u16(division) || !reader.skip(headerLength - 6))
    {
        error = "the MIDI file header is truncated";
        return false;
    }
    if (format == 2)
    {
        error = "MIDI file format 2 (independent sequences) is not supported";
        return false;
    }
    if (format > 2)
    {
        error = "unknown MIDI file format " + std::to_string(format);
        return false;
    }
    if (division == 0 || division == 0x8000)
    {
        error = "the MIDI file has an invalid time division";
        return false;
    }

    // The track chunks first; unknown chunks are skipped.
    std::vector<ByteReader> trackChunks;
    while (trackChunks.size() < trackCount)
    {
        uint32_t length = 0;
        if (!reader.u32(chunkId) || !reader.u32(length))
        {
            error = "the MIDI file is truncated (" + std::to_string(trackChunks.size()) + " of " +
                    std::to_string(trackCount) + " tracks)";
            return false;
        }
        const uint8_t* chunk = reader.position();
        if (!reader.skip(length))
        {
            error = "the MIDI file is truncated (track " + std::to_string(trackChunks.size() + 1) +
                    " ends early)";
            return false;
        }
        if (chunkId == 0x4D54726B /* MTrk */) trackChunks.emplace_back(chunk, chunk + length);
    }

    // Counted before anything is stored, so that a file of millions of tiny events is refused
    // without taking many times its size in memory.
    TrackEvents counted;
    uint64_t endTick = 0;
    for (size_t i = 0; i < trackChunks.size(); ++i)
    {
        uint64_t trackEnd = 0;
        if (!parseTrack(trackChunks[i], static_cast<uint16_t>(i), counted, trackEnd, error))
            return false;
        endTick = std::max(endTick, trackEnd);
        if (counted.messageCount + counted.tempoCount > kMaxEvents)
        {
            error = "the MIDI file holds more than " + std::to_string(kMaxEvents) +
                    " events, more than brask-render plays";
            return false;
        }
    }
    std::vector<Message> messages;
    std::vector<Tempo> tempos;
    messages.reserve(counted.messageCount);
    tempos.reserve(counted.tempoCount);
    TrackEvents stored{&messages, &tempos};
    for (size_t i = 0; i < trackChunks.size(); ++i)
    {
        uint64_t trackEnd = 0;
        parseTrack(trackChunks[i], static_cast<uint16_t>(i), stored, trackEnd, error);
    }
    const auto tracksRead = static_cast<uint32_t>(trackChunks.size());

    // Merged order: by tick, then track, then position in the track (the stable sort keeps it).
    // A single track is in order already, and sorting it would take another half of its size.
    const auto earlier = [](const Message& a, const Message& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.track < b.track;
    };
    if (!std::is_sorted(messages.begin(), messages.end(), earlier))
        std::stable_sort(messages.begin(), messages.end(), earlier);
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const Tempo& a, const Tempo& b) { return a.tick < b.tick; });

    // Ticks to seconds: a tick lasts tempo / ticksPerQuarter microseconds, or a fixed fraction
    // of a second with a time-code division (where tempo changes do not apply).
    double smpteTickSeconds = 0.0;
    if (division & 0x8000)
    {
        const int framesPerSecond = -static_cast<int8_t>(division >> 8);
        const int ticksPerFrame = static_cast<int>(division & 0xFF);
        const double rate = framesPerSecond == 29 ? 29.97 : static_cast<double>(framesPerSecond);
        if (framesPerSecond <= 0 || ticksPerFrame == 0)
        {
            error = "the MIDI file has an invalid time division";
            return false;
        }
        smpteTickSeconds = 1.0 / (rate * ticksPerFrame);
    }
    const double ticksPerQuarter = static_cast<double>(division);
    size_t nextTempo = 0;
    uint64_t segmentTick = 0;
    double segmentSeconds = 0.0;
    double tickSeconds = kDefaultTempo * 1e-6 / ticksPerQuarter;
    auto secondsAt = [&](uint64_t tick) {
        if (smpteTickSeconds > 0.0) return static_cast<double>(tick) * smpteTickSeconds;
        while (nextTempo < tempos.size() && tempos[nextTempo].tick <= tick)
        {
            segmentSeconds +=
                static_cast<double>(tempos[nextTempo].tick - segmentTick) * tickSeconds;
            segmentTick = tempos[nextTempo].tick;
            tickSeconds = tempos[nextTempo].microsPerQuarter * 1e-6 / ticksPerQuarter;
            ++nextTempo;
        }
        return segmentSeconds + static_cast<double>(tick - segmentTick) * tickSeconds;
    };
    for (Message& message : messages)
        message.seconds = secondsAt(message.tick);

    file.list = std::move(messages);
    file.length = secondsAt(endTick);
    file.fileFormat = static_cast<int>(format);
    file.tracks = static_cast<int>(tracksRead);
    return true;
}

} // namespace Steinberg::Vst::Tarvik::Render
