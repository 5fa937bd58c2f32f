// SPDX-License-Identifier: GPL-3.0-or-later
#include "MidiFile.h"
#include "MidiBytes.h"

#include <gtest/gtest.h>

#include <random>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Render {
namespace {

using TestSupport::MidiBytes;

MidiFile parseOk(const std::vector<uint8_t>& bytes)
{
    MidiFile file;
    std::string error;
    EXPECT_TRUE(MidiFile::parse(bytes, file, error)) << error;
    return file;
}

std::string parseError(const std::vector<uint8_t>& bytes)
{
    MidiFile file;
    std::string error;
    EXPECT_FALSE(MidiFile::parse(bytes, file, error));
    EXPECT_FALSE(error.empty());
    return error;
}

TEST(MidiFile, TempoChangesInAnyTrackTimeEveryTrack)
{
    MidiBytes midi(1, 480);
    // The conductor track halves the quarter note after two quarters (1 s at 120 BPM)...
    midi.track().tempo(0, 500000).tempo(960, 250000).end();
    // ...and a later tempo change sits in the second track; both apply to the third.
    midi.track().tempo(1440, 1000000).end();
    midi.track()
        .noteOn(960, 0, 60, 100) // tick 960: 1.0 s
        .noteOff(480, 0, 60)     // tick 1440: 1.0 + 0.25 s
        .noteOn(480, 0, 62, 100) // tick 1920: 1.25 + 1.0 s
        .end(480);               // tick 2400: 2.25 + 1.0 s
    const MidiFile file = parseOk(midi.bytes());
    ASSERT_EQ(file.messages().size(), 3u);
    EXPECT_DOUBLE_EQ(file.messages()[0].seconds, 1.0);
    EXPECT_DOUBLE_EQ(file.messages()[1].seconds, 1.25);
    EXPECT_DOUBLE_EQ(file.messages()[2].seconds, 2.25);
    EXPECT_DOUBLE_EQ(file.lengthSeconds(), 3.25);
    EXPECT_EQ(file.format(), 1);
    EXPECT_EQ(file.trackCount(), 3);
}

TEST(MidiFile, RunningStatusAndEveryMessageKind)
{
    MidiBytes midi(0, 96);
    midi.track()
        .event(0, {0x91, 60, 100})
        .event(0, {64, 90})                       // running status: another note-on on channel 2
        .event(10, {60, 0})                       // and a note-on with velocity 0
        .event(0, {0xF0, 0x03, 0x7E, 0x01, 0xF7}) // system exclusive, skipped
        .event(0, {0xFF, 0x01, 0x02, 'h', 'i'})   // text, skipped
        .event(0, {0xC5, 12})                     // program change: one data byte
        .event(0, {0xD5, 77})                     // channel aftertouch: one data byte
        .event(0, {0xE5, 0x00, 0x40})
        .end();
    const MidiFile file = parseOk(midi.bytes());
    const auto& m = file.messages();
    ASSERT_EQ(m.size(), 6u);
    EXPECT_EQ(m[1].status, 0x91);
    EXPECT_EQ(m[1].data1, 64);
    EXPECT_EQ(m[1].data2, 90);
    EXPECT_EQ(m[2].status, 0x91);
    EXPECT_EQ(m[2].data2, 0);
    EXPECT_EQ(m[2].tick, 10u);
    EXPECT_EQ(m[3].status, 0xC5);
    EXPECT_EQ(m[3].data1, 12);
    EXPECT_EQ(m[4].status, 0xD5);
    EXPECT_EQ(m[4].data1, 77);
    EXPECT_EQ(m[5].status, 0xE5);
    EXPECT_EQ(m[5].data2, 0x40);
}

TEST(MidiFile, SimultaneousMessagesKeepTrackThenFileOrder)
{
    MidiBytes midi(1, 480);
    midi.track().noteOn(100, 0, 70, 1).noteOn(0, 0, 71, 1).end();
    midi.track().noteOn(0, 1, 50, 1).noteOn(100, 1, 51, 1).noteOn(0, 1, 52, 1).end();
    const MidiFile file = parseOk(midi.bytes());
    std::vector<int> notes;
    for (const auto& m : file.messages())
        notes.push_back(m.data1);
    EXPECT_EQ(notes, (std::vector<int>{50, 70, 71, 51, 52}));
}

TEST(MidiFile, TimeCodeDivisionIgnoresTempo)
{
    // 25 frames per second, 40 ticks per frame: 1000 ticks a second.
    MidiBytes midi(0, (0x100 - 25) << 8 | 40);
    midi.track().tempo(0, 250000).noteOn(500, 0, 60, 100).end(1500);
    const MidiFile file = parseOk(midi.bytes());
    ASSERT_EQ(file.messages().size(), 1u);
    EXPECT_DOUBLE_EQ(file.messages()[0].seconds, 0.5);
    EXPECT_DOUBLE_EQ(file.lengthSeconds(), 2.0);
}

TEST(MidiFile, LengthIsTheLongestTrackEvenWithoutEndOfTrack)
{
    MidiBytes midi(1, 480);
    midi.track().end(4800);                                 // 5 s of nothing
    midi.track().noteOn(0, 0, 60, 100).noteOff(480, 0, 60); // no end-of-track event
    EXPECT_DOUBLE_EQ(parseOk(midi.bytes()).lengthSeconds(), 5.0);

    MidiBytes empty(1, 480);
    EXPECT_DOUBLE_EQ(parseOk(empty.bytes()).lengthSeconds(), 0.0);
}

TEST(MidiFile, DamagedOrForeignFilesAreRefusedWithAReason)
{
    MidiBytes good(1, 480);
    good.track().noteOn(0, 0, 60, 100).noteOff(480, 0, 60).end();
    const std::vector<uint8_t> valid = good.bytes();

    EXPECT_NE(parseError({}).find("not a Standard MIDI File"), std::string::npos);
    EXPECT_NE(parseError({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}).find("not a"),
              std::string::npos);
    EXPECT_NE(parseError({valid.begin(), valid.begin() + 10}).find("header"), std::string::npos);
    // The track's length runs past the end of the file.
    EXPECT_NE(parseError({valid.begin(), valid.end() - 2}).find("truncated"), std::string::npos);

    MidiBytes missingTrack(1, 480);
    missingTrack.track().end();
    std::vector<uint8_t> twoDeclared = missingTrack.bytes();
    twoDeclared[11] = 2;
    EXPECT_NE(parseError(twoDeclared).find("1 of 2 tracks"), std::string::npos);

    MidiBytes format2(2, 480);
    format2.track().end();
    EXPECT_NE(parseError(format2.bytes()).find("format 2"), std::string::npos);

    MidiBytes noDivision(0, 0);
    noDivision.track().end();
    EXPECT_NE(parseError(noDivision.bytes()).find("division"), std::string::npos);

    auto trackWith = [](std::initializer_list<uint8_t> bytes) {
        MidiBytes midi(0, 480);
        midi.track().event(0, bytes);
        return midi.bytes();
    };
    EXPECT_NE(parseError(trackWith({60, 100})).find("without a status"), std::string::npos);
    EXPECT_NE(parseError(trackWith({0xF4})).find("invalid status"), std::string::npos);
    EXPECT_NE(parseError(trackWith({0x90, 60})).find("truncated"), std::string::npos);
    EXPECT_NE(parseError(trackWith({0x90, 60, 200})).find("invalid data"), std::string::npos);
    EXPECT_NE(parseError(trackWith({0xFF, 0x01, 0x05, 'a'})).find("truncated"), std::string::npos);
    MidiBytes longDelta(0, 480);
    longDelta.track().data = {0x80, 0x80, 0x80, 0x80, 0x01, 0x90, 60, 100};
    EXPECT_NE(parseError(longDelta.bytes()).find("delta"), std::string::npos);
}

TEST(MidiFile, AnyCutOrDamageFailsCleanlyOrParses)
{
    MidiBytes midi(1, 480);
    midi.track().tempo(0, 400000).event(0, {0xF0, 0x02, 0x01, 0xF7}).end();
    midi.track()
        .noteOn(0, 3, 60, 100)
        .controller(10, 3, 1, 64)
        .pitchBend(10, 3, 9000)
        .event(5, {0xD3, 40})
        .noteOff(100, 3, 60)
        .end(20);
    const std::vector<uint8_t> valid = midi.bytes();

    for (size_t size = 0; size < valid.size(); ++size)
    {
        MidiFile file;
        std::string error;
        EXPECT_FALSE(MidiFile::parse({valid.begin(), valid.begin() + size}, file, error))
            << "a file cut to " << size << " bytes was accepted";
    }

    std::mt19937 random(12345);
    for (int round = 0; round < 2000; ++round)
    {
        std::vector<uint8_t> damaged = valid;
        for (int k = 0; k < 3; ++k)
            damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
        MidiFile file;
        std::string error;
        if (MidiFile::parse(damaged, file, error))
        {
            for (const auto& m : file.messages())
            {
                ASSERT_GE(m.status, 0x80);
                ASSERT_LT(m.status, 0xF0);
                ASSERT_LT(m.data1, 0x80);
                ASSERT_LT(m.data2, 0x80);
                ASSERT_GE(m.seconds, 0.0);
            }
        }
        else
            ASSERT_FALSE(error.empty());
    }
}

TEST(MidiFile, ReadingNamesTheFileInItsErrors)
{
    MidiFile file;
    std::string error;
    EXPECT_FALSE(MidiFile::read("/nonexistent/song.mid", file, error));
    EXPECT_NE(error.find("/nonexistent/song.mid"), std::string::npos);
    EXPECT_FALSE(MidiFile::read("/", file, error));
    EXPECT_NE(error.find("folder"), std::string::npos);
}

} // namespace
} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
