// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPhrase.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace Steinberg::Vst::Tarvik::Presets {

namespace {

constexpr int kTicksPerQuarter = 480;
constexpr double kTicksPerSecond = 960.0; // at 120 bpm

void appendVarLength(std::vector<uint8_t>& out, uint32_t value)
{
    uint8_t bytes[4];
    int count = 0;
    do
    {
        bytes[count++] = value & 0x7F;
        value >>= 7;
    } while (value != 0 && count < 4);
    for (int i = count - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(bytes[i] | (i > 0 ? 0x80 : 0)));
}

void appendBigEndian(std::vector<uint8_t>& out, uint32_t value, int size)
{
    for (int i = size - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<PhraseNote> chord(double start, double duration, std::initializer_list<int> keys,
                              int velocity)
{
    std::vector<PhraseNote> notes;
    for (const int key : keys)
        notes.push_back({start, duration, key, velocity});
    return notes;
}

TestPhrase makePhrase(const std::string& name, std::vector<PhraseNote> notes, double tail)
{
    double end = 0.0;
    for (const PhraseNote& note : notes)
        end = std::max(end, note.start + note.duration);
    return {name, std::move(notes), end + tail};
}

std::vector<PhraseNote> concat(std::initializer_list<std::vector<PhraseNote>> parts)
{
    std::vector<PhraseNote> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const std::map<std::string, TestPhrase>& phrases()
{
    static const std::map<std::string, TestPhrase> table = {
        // A low line from G1 to C3, short notes and one long one.
        {"Bass", makePhrase("bass line",
                            {{0.00, 0.20, 36, 100},
                             {0.25, 0.20, 36, 90},
                             {0.50, 0.20, 48, 100},
                             {0.75, 0.20, 43, 90},
                             {1.00, 0.20, 39, 100},
                             {1.25, 0.20, 41, 90},
                             {1.50, 0.40, 31, 100},
                             {2.00, 0.90, 36, 100}},
                            0.5)},
        // A legato melody from C4 to G5 whose notes overlap a little, for glide and legato.
        {"Lead", makePhrase("lead melody",
                            {{0.00, 0.42, 60, 100},
                             {0.40, 0.42, 63, 100},
                             {0.80, 0.42, 67, 100},
                             {1.20, 0.42, 72, 100},
                             {1.60, 0.42, 70, 100},
                             {2.00, 0.42, 79, 100},
                             {2.40, 0.80, 67, 100}},
                            0.6)},
        // Wide legato leaps across three octaves.
        {"Glide", makePhrase("glide leaps",
                             {{0.00, 0.52, 48, 100},
                              {0.50, 0.52, 60, 100},
                              {1.00, 0.52, 55, 100},
                              {1.50, 0.52, 72, 100},
                              {2.00, 0.52, 62, 100},
                              {2.50, 0.90, 43, 100}},
                             0.6)},
        // Two held four-note chords.
        {"Pad", makePhrase("held chords",
                           concat({chord(0.0, 1.7, {48, 55, 58, 63}, 60),
                                   chord(1.8, 1.7, {44, 51, 55, 60}, 60)}),
                           1.2)},
        // Three-note chord stabs, then a held chord.
        {"Brass",
         makePhrase(
             "stabs",
             concat({chord(0.0, 0.30, {55, 60, 64}, 85), chord(0.5, 0.30, {57, 60, 65}, 85),
                     chord(1.0, 0.30, {55, 59, 62}, 85), chord(1.5, 1.20, {52, 55, 60}, 85)}),
             0.6)},
        // Comping chords from C3 to A4, then a single high line.
        {"Keys", makePhrase("comping",
                            concat({chord(0.00, 0.45, {48, 55, 64}, 100),
                                    chord(0.60, 0.45, {50, 57, 65}, 100),
                                    chord(1.20, 0.45, {52, 59, 67}, 100),
                                    chord(1.80, 0.80, {53, 60, 69}, 100),
                                    {{2.70, 0.25, 76, 100}, {3.00, 0.25, 79, 100}}}),
                            0.6)},
        // An arpeggio in sixteenths over two octaves.
        {"Pluck", makePhrase("arpeggio",
                             {{0.00, 0.12, 48, 112},
                              {0.15, 0.12, 55, 112},
                              {0.30, 0.12, 60, 112},
                              {0.45, 0.12, 64, 112},
                              {0.60, 0.12, 67, 112},
                              {0.75, 0.12, 72, 112},
                              {0.90, 0.12, 67, 112},
                              {1.05, 0.12, 64, 112},
                              {1.20, 0.12, 45, 112},
                              {1.35, 0.12, 52, 112},
                              {1.50, 0.12, 57, 112},
                              {1.65, 0.12, 60, 112},
                              {1.80, 0.12, 64, 112},
                              {1.95, 0.12, 69, 112},
                              {2.10, 0.12, 64, 112},
                              {2.25, 0.40, 60, 112}},
                             0.6)},
        // Single held notes in three octaves.
        {"Effects",
         makePhrase("three keys",
                    {{0.00, 1.00, 48, 115}, {1.20, 1.00, 60, 115}, {2.40, 1.00, 72, 115}}, 0.8)},
    };
    return table;
}

} // namespace

std::vector<uint8_t> TestPhrase::midiBytes() const
{
    struct Event
    {
        uint32_t tick;
        uint8_t status;
        uint8_t key;
        uint8_t velocity;
    };
    std::vector<Event> events;
    const auto tick = [](double seconds) {
        return static_cast<uint32_t>(std::lround(seconds * kTicksPerSecond));
    };
    for (const PhraseNote& note : notes)
    {
        events.push_back({tick(note.start), 0x90, static_cast<uint8_t>(note.note),
                          static_cast<uint8_t>(note.velocity)});
        events.push_back(
            {tick(note.start + note.duration), 0x80, static_cast<uint8_t>(note.note), 0});
    }
    // Note-offs first at equal times, so that a repeated key is released before it sounds again.
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.status < b.status;
    });

    std::vector<uint8_t> track;
    appendVarLength(track, 0);
    for (const uint8_t byte : {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}) // 500000 us per quarter
        track.push_back(byte);
    uint32_t now = 0;
    for (const Event& event : events)
    {
        appendVarLength(track, event.tick - now);
        now = event.tick;
        track.insert(track.end(), {event.status, event.key, event.velocity});
    }
    appendVarLength(track, tick(length) - now);
    track.insert(track.end(), {0xFF, 0x2F, 0x00});

    std::vector<uint8_t> file = {'M', 'T', 'h', 'd'};
    appendBigEndian(file, 6, 4);
    appendBigEndian(file, 0, 2); // format 0
    appendBigEndian(file, 1, 2);
    appendBigEndian(file, kTicksPerQuarter, 2);
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    appendBigEndian(file, static_cast<uint32_t>(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

const TestPhrase& phraseFor(const std::string& category)
{
    const auto& table = phrases();
    const std::string shared = category == "Strings" ? "Pad"
                               : category == "Init"  ? "Lead"
                                                     : category;
    const auto found = table.find(shared);
    return found == table.end() ? table.at("Keys") : found->second;
}

Loudness measureLoudness(const std::vector<float>& left, const std::vector<float>& right,
                         size_t begin, size_t end)
{
    Loudness loudness;
    end = std::min({end, left.size(), right.size()});
    if (begin >= end) return loudness;
    double sum = 0.0;
    double peak = 0.0;
    for (size_t i = begin; i < end; ++i)
    {
        for (const float sample : {left[i], right[i]})
        {
            if (!std::isfinite(sample)) loudness.finite = false;
            sum += static_cast<double>(sample) * sample;
            peak = std::max(peak, std::fabs(static_cast<double>(sample)));
        }
    }
    const auto toDb = [](double value) {
        return value > 1e-10 ? 20.0 * std::log10(value) : -200.0;
    };
    loudness.rmsDb = toDb(std::sqrt(sum / (2.0 * static_cast<double>(end - begin))));
    loudness.peakDb = toDb(peak);
    return loudness;
}

} // namespace Steinberg::Vst::Tarvik::Presets
