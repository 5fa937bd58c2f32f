// SPDX-License-Identifier: GPL-3.0-or-later
// Builds Standard MIDI File bytes for the tests, event by event.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Render {
namespace TestSupport {

class MidiTrack
{
public:
    /** Any event: delta time in ticks, then its bytes as written (running status included). */
    MidiTrack& event(uint32_t delta, std::initializer_list<uint8_t> bytes)
    {
        varLength(delta);
        data.insert(data.end(), bytes);
        return *this;
    }
    MidiTrack& noteOn(uint32_t delta, int channel, int note, int velocity)
    {
        return event(delta, {uint8_t(0x90 | channel), uint8_t(note), uint8_t(velocity)});
    }
    MidiTrack& noteOff(uint32_t delta, int channel, int note, int velocity = 0)
    {
        return event(delta, {uint8_t(0x80 | channel), uint8_t(note), uint8_t(velocity)});
    }
    MidiTrack& controller(uint32_t delta, int channel, int number, int value)
    {
        return event(delta, {uint8_t(0xB0 | channel), uint8_t(number), uint8_t(value)});
    }
    MidiTrack& pitchBend(uint32_t delta, int channel, int value14)
    {
        return event(delta, {uint8_t(0xE0 | channel), uint8_t(value14 & 0x7F),
                             uint8_t((value14 >> 7) & 0x7F)});
    }
    MidiTrack& tempo(uint32_t delta, uint32_t microsPerQuarter)
    {
        return event(delta, {0xFF, 0x51, 0x03, uint8_t(microsPerQuarter >> 16),
                             uint8_t(microsPerQuarter >> 8), uint8_t(microsPerQuarter)});
    }
    MidiTrack& end(uint32_t delta = 0) { return event(delta, {0xFF, 0x2F, 0x00}); }

    void varLength(uint32_t value)
    {
        uint8_t bytes[4];
        int count = 0;
        do
        {
            bytes[count++] = value & 0x7F;
            value >>= 7;
        } while (value && count < 4);
        for (int i = count - 1; i >= 0; --i)
            data.push_back(uint8_t(bytes[i] | (i > 0 ? 0x80 : 0)));
    }

    std::vector<uint8_t> data;
};

class MidiBytes
{
public:
    MidiBytes(int format = 1, int division = 480) : format(format), division(division) {}

    MidiTrack& track()
    {
        tracks.emplace_back();
        return tracks.back();
    }

    std::vector<uint8_t> bytes() const
    {
        std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
        put16(out, format);
        put16(out, static_cast<int>(tracks.size()));
        put16(out, division);
        for (const MidiTrack& t : tracks)
        {
            out.insert(out.end(), {'M', 'T', 'r', 'k'});
            const auto size = static_cast<uint32_t>(t.data.size());
            out.insert(out.end(), {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8),
                                   uint8_t(size)});
            out.insert(out.end(), t.data.begin(), t.data.end());
        }
        return out;
    }

    bool write(const std::string& path) const { return writeFile(path, bytes()); }

    static bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) return false;
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        return std::fclose(file) == 0 && ok;
    }

private:
    static void put16(std::vector<uint8_t>& out, int value)
    {
        out.push_back(uint8_t(value >> 8));
        out.push_back(uint8_t(value));
    }

    int format;
    int division;
    std::vector<MidiTrack> tracks;
};

} // namespace TestSupport
} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
