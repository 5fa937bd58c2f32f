// SPDX-License-Identifier: GPL-3.0-or-later
// brask-render run as a user runs it, on the built bundle.
#include "MidiBytes.h"
#include "RenderRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Render {
namespace {

using namespace TestSupport;

float peak(const Audio& audio, size_t fromFrame = 0)
{
    float level = 0.0f;
    for (size_t i = fromFrame * 2; i < audio.samples.size(); ++i)
        level = std::max(level, std::fabs(audio.samples[i]));
    return level;
}

/** One second at 120 BPM: a chord, then a long note to the end; more events can follow the
    long note's start. */
MidiBytes song(const std::function<void(MidiTrack&)>& extra = nullptr)
{
    MidiBytes midi(1, 480);
    midi.track().tempo(0, 500000).end(960);
    MidiTrack& notes = midi.track();
    notes.noteOn(0, 0, 48, 100).noteOn(0, 0, 55, 90).noteOn(0, 0, 64, 80);
    notes.noteOff(240, 0, 48).noteOff(0, 0, 55).noteOff(0, 0, 64);
    notes.noteOn(0, 0, 57, 110);
    if (extra) extra(notes);
    notes.end();
    midi.track().noteOff(960, 0, 57).end(); // the long note ends with the song
    return midi;
}

class RenderCommand : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(song().write(folder / "song.mid")); }

    /** Renders and reads the result; the run must succeed quietly. */
    Audio render(const std::string& midi, std::vector<std::string> options = {})
    {
        const std::string wav = folder / "out.wav";
        options.push_back(midi);
        options.push_back(wav);
        const RunResult run = runRender(options, folder);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "") << "a run into files must print nothing but errors";
        Audio audio = readWav(wav);
        EXPECT_TRUE(audio.read);
        unlink(wav.c_str());
        return audio;
    }

    TempFolder folder;
};

TEST_F(RenderCommand, RendersTheSongInTheRequestedFormat)
{
    const Audio exact = render(folder / "song.mid", {"--tail", "0"});
    EXPECT_EQ(exact.sampleRate, 48000);
    EXPECT_EQ(exact.channels, 2);
    EXPECT_EQ(exact.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(exact.frames(), 48000u);
    EXPECT_GT(peak(exact), 0.01f);

    const Audio pcm16 =
        render(folder / "song.mid", {"--tail", "0", "--rate", "44100", "--format", "pcm16"});
    EXPECT_EQ(pcm16.sampleRate, 44100);
    EXPECT_EQ(pcm16.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(pcm16.frames(), 44100u);
    EXPECT_GT(peak(pcm16), 0.01f);

    const Audio pcm24 = render(folder / "song.mid", {"--tail", "0", "--format", "pcm24"});
    EXPECT_EQ(pcm24.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_EQ(pcm24.frames(), 48000u);
}

TEST_F(RenderCommand, TheTailRingsOutAndStopsOnceSilent)
{
    const Audio full = render(folder / "song.mid", {"--tail", "2"});
    ASSERT_GE(full.frames(), 48000u);
    EXPECT_LE(full.frames(), 48000u + 96000u);
    EXPECT_GT(peak(full, 48000), 0.0f) << "the last note's release is cut at the song's end";

    // With short releases the sound dies long before the limit, and the file ends after a
    // moment of silence.
    const Audio shortRelease =
        render(folder / "song.mid", {"--tail", "5", "--set", "ENV Rel=0", "--set", "VCF Rel=0"});
    ASSERT_LT(shortRelease.frames(), 48000u + 240000u);
    EXPECT_GE(shortRelease.frames(), 48000u + 9600u);
    EXPECT_LT(peak(shortRelease, shortRelease.frames() - 9600), 1.0f / 131072.0f);
}

TEST_F(RenderCommand, TheSameInputRendersBitIdentically)
{
    const Audio first = render(folder / "song.mid", {"--tail", "1"});
    const Audio second = render(folder / "song.mid", {"--tail", "1"});
    const Audio named = render(folder / "song.mid", {"--tail", "1", "--plugin", BRASK_TEST_BUNDLE});
    ASSERT_FALSE(first.samples.empty());
    EXPECT_TRUE(first.samples == second.samples);
    EXPECT_TRUE(first.samples == named.samples) << "the default bundle is not the one built";
}

TEST_F(RenderCommand, PerformanceControllersChangeTheSound)
{
    const Audio plain = render(folder / "song.mid", {"--tail", "0"});
    auto variant = [&](const std::string& name, const std::function<void(MidiTrack&)>& extra) {
        const std::string path = folder / (name + ".mid");
        EXPECT_TRUE(song(extra).write(path));
        return render(path, {"--tail", "0"});
    };
    // Sweeps during the long note, which starts at tick 240.
    auto sweep = [](MidiTrack& t, const std::function<void(MidiTrack&, int)>& step) {
        for (int i = 0; i < 16; ++i)
            step(t, i);
    };
    const Audio modWheel = variant("modwheel", [&](MidiTrack& t) {
        sweep(t, [](MidiTrack& m, int i) { m.controller(40, 0, 1, i * 8); });
    });
    const Audio bend = variant("bend", [&](MidiTrack& t) {
        sweep(t, [](MidiTrack& m, int i) { m.pitchBend(40, 0, 8192 + i * 512); });
    });
    const Audio cutoff = variant("cc74", [&](MidiTrack& t) {
        sweep(t, [](MidiTrack& m, int i) { m.controller(40, 0, 74, 127 - i * 8); });
    });
    const Audio volume = variant("cc7", [&](MidiTrack& t) {
        sweep(t, [](MidiTrack& m, int i) { m.controller(40, 0, 7, i * 8); });
    });

    ASSERT_EQ(modWheel.samples.size(), plain.samples.size());
    EXPECT_FALSE(modWheel.samples == plain.samples) << "the mod wheel did nothing";
    EXPECT_FALSE(bend.samples == plain.samples) << "pitch bend did nothing";
    EXPECT_FALSE(cutoff.samples == plain.samples) << "controller 74 did nothing";
    EXPECT_TRUE(volume.samples == plain.samples) << "an unmapped controller changed the sound";
}

TEST_F(RenderCommand, SettingsByTextAndByValueAgree)
{
    const Audio byText = render(folder / "song.mid", {"--tail", "0", "--set", "Glide=Mono"});
    const Audio byValue = render(folder / "song.mid", {"--tail", "0", "--set", "Glide=0.6"});
    const Audio plain = render(folder / "song.mid", {"--tail", "0"});
    EXPECT_TRUE(byText.samples == byValue.samples);
    EXPECT_FALSE(byText.samples == plain.samples);

    const RunResult list = runRender({"--set", "VCF Freq=0.25", "--list-params"}, folder);
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("VCF Freq              0.2500"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("'modw'  Mod Wheel"), std::string::npos) << list.out;
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 31); // a header and 30 lines
}

TEST_F(RenderCommand, ASavedPresetRendersIdenticallyWhenLoaded)
{
    const std::string preset = folder / "sound.vstpreset";
    const std::vector<std::string> sound = {"--set", "VCF Freq=0.2", "--set", "Glide=Mono-Glide",
                                            "--set", "Noise=0.7"};
    std::vector<std::string> saving = sound;
    saving.insert(saving.end(), {"--tail", "0", "--save-preset", preset});
    const Audio original = render(folder / "song.mid", saving);
    const Audio loaded = render(folder / "song.mid", {"--tail", "0", "--preset", preset});
    const Audio plain = render(folder / "song.mid", {"--tail", "0"});
    EXPECT_TRUE(loaded.samples == original.samples);
    EXPECT_FALSE(plain.samples == original.samples);

    // Saving without rendering stores the same sound.
    const std::string again = folder / "again.vstpreset";
    std::vector<std::string> onlySaving = sound;
    onlySaving.insert(onlySaving.end(), {"--save-preset", again});
    const RunResult save = runRender(onlySaving, folder);
    EXPECT_EQ(save.exitCode, 0) << save.err;
    EXPECT_EQ(readText(again), readText(preset));
    // Saving over the preset just loaded edits it in place.
    const RunResult edit =
        runRender({"--preset", again, "--set", "Noise=0.1", "--save-preset", again}, folder);
    EXPECT_EQ(edit.exitCode, 0) << edit.err;
    EXPECT_NE(readText(again), readText(preset));

    const RunResult list = runRender({"--preset", preset, "--list-params"}, folder);
    EXPECT_NE(list.out.find("Mono-Glide"), std::string::npos) << list.out;
}

TEST_F(RenderCommand, FactoryPresetsAreFoundByNameInAnyCase)
{
    const RunResult list = runRender({"--list-presets"}, folder);
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("  Bass     Acid Squelch "), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("  Init     Init "), std::string::npos) << list.out;

    const Audio byName = render(folder / "song.mid", {"--tail", "0", "--preset", "aCID squelch"});
    const Audio byFile = render(
        folder / "song.mid", {"--tail", "0", "--preset", BRASK_BANK_DIR "/Acid Squelch.vstpreset"});
    const Audio plain = render(folder / "song.mid", {"--tail", "0"});
    EXPECT_TRUE(byName.samples == byFile.samples);
    EXPECT_FALSE(byName.samples == plain.samples);
}

TEST_F(RenderCommand, UserPresetsJoinTheFactoryBankAndWinOnAClash)
{
    // The runs' home folder: one preset of the user's own, one named like a factory preset.
    const std::string user = folder / "home/.vst3/presets/Tarvik/Brask";
    std::filesystem::create_directories(user);
    for (const auto& [name, setting] :
         {std::pair<std::string, std::string>{"My Sound", "VCF Freq=0.1"},
          {"Acid Squelch", "Noise=0.9"}})
    {
        const RunResult save = runRender(
            {"--set", setting, "--save-preset", user + "/" + name + ".vstpreset"}, folder);
        ASSERT_EQ(save.exitCode, 0) << save.err;
    }

    const RunResult list = runRender({"--list-presets"}, folder);
    EXPECT_EQ(list.exitCode, 0) << list.err;
    const std::string& out = list.out;
    const size_t userAt = out.find("Presets in " + user + ":\n");
    const size_t factoryAt = out.find("Presets in " BRASK_BANK_DIR ":\n");
    ASSERT_NE(userAt, std::string::npos) << out;
    ASSERT_NE(factoryAt, std::string::npos) << out;
    EXPECT_LT(userAt, factoryAt) << "the user's folder comes first";
    const auto listedAt = [&](const std::string& name) { // in the name column, once
        const std::string column = " " + name + "  ";
        const size_t at = out.find(column);
        EXPECT_EQ(out.find(column, at + 1), std::string::npos) << name << " twice";
        return at;
    };
    EXPECT_GT(listedAt("My Sound"), userAt);
    EXPECT_LT(listedAt("Acid Squelch"), factoryAt);
    EXPECT_GT(listedAt("Round Sub"), factoryAt);
    EXPECT_NE(out.find("1 more hidden by a preset of the same name above"), std::string::npos);

    const auto same = [&](const std::vector<std::string>& a, const std::vector<std::string>& b) {
        std::vector<std::string> first = {"--tail", "0"}, second = first;
        first.insert(first.end(), a.begin(), a.end());
        second.insert(second.end(), b.begin(), b.end());
        return render(folder / "song.mid", first).samples ==
               render(folder / "song.mid", second).samples;
    };
    EXPECT_TRUE(same({"--preset", "my sound"}, {"--set", "VCF Freq=0.1"}));
    EXPECT_TRUE(same({"--preset", "acid squelch"}, {"--set", "Noise=0.9"}));
    EXPECT_TRUE(
        same({"--preset", "Round Sub"}, {"--preset", BRASK_BANK_DIR "/Round Sub.vstpreset"}));
}

TEST_F(RenderCommand, APresetArgumentIsAFileOnlyWhenItLooksLikeOne)
{
    // The current folder holds a folder named like a factory preset and a file without ending.
    const std::string here = folder / "here";
    std::filesystem::create_directories(here + "/Init");
    ASSERT_TRUE(MidiBytes::writeFile(here + "/Acid Squelch", {'h', 'i', '\n'}));
    const struct
    {
        std::string preset;
        std::string message; ///< empty when the preset loads
    } cases[] = {
        {"Init", ""},
        {"init", ""},
        {"./Init", "is not a file"},
        {"Acid Squelch", "not a VST 3 preset"},
        {"Init.vstpreset", "cannot open"},
        {"Bass/Acid Squelch", "cannot open"},
        {"Bass\\Acid Squelch", "cannot open"},
    };
    for (const auto& c : cases)
    {
        const RunResult run =
            runRender({"--preset", c.preset, "--list-params"}, folder, {here, ""});
        EXPECT_EQ(run.exitCode, c.message.empty() ? 0 : 1) << c.preset << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.preset << ": " << run.err;
    }
}

TEST_F(RenderCommand, AllNotesOffEndsTheNotesThatAreDownAsTheirNoteOffsWould)
{
    // Two keys on channel 1 and one on channel 2 are down at tick 240; a note follows at 480.
    const auto write = [&](const std::string& name, const std::function<void(MidiTrack&)>& ending) {
        MidiBytes midi(0, 480);
        MidiTrack& t = midi.track();
        t.tempo(0, 500000).noteOn(0, 0, 48, 100).noteOn(0, 0, 60, 100).noteOff(120, 0, 60);
        t.noteOn(0, 0, 55, 90).noteOn(0, 1, 67, 90);
        ending(t);
        t.noteOn(240, 0, 64, 100).noteOff(240, 0, 64).end();
        EXPECT_TRUE(midi.write(folder / name));
        return folder / name;
    };
    const std::string panic = write("panic.mid", [](MidiTrack& t) {
        t.controller(120, 0, 123, 0).controller(0, 1, 120, 0).controller(0, 0, 123, 0);
    });
    const std::string noteOffs = write("note-offs.mid", [](MidiTrack& t) {
        t.noteOff(120, 0, 48).noteOff(0, 0, 55).noteOff(0, 1, 67);
    });
    const std::string held = write("held.mid", [](MidiTrack& t) {
        t.event(120, {0xFF, 0x01, 0x00});
    });
    const Audio afterPanic = render(panic, {"--tail", "1"});
    EXPECT_TRUE(afterPanic.samples == render(noteOffs, {"--tail", "1"}).samples);
    EXPECT_FALSE(afterPanic.samples == render(held, {"--tail", "1"}).samples);
}

TEST_F(RenderCommand, TheDemoPlaysInFullWithoutClipping)
{
    const Audio demo = render(
        BRASK_DEMO_MIDI, {"--tail", "0", "--set", "Glide=Poly-Glide", "--set", "Gld Rate=0.55"});
    EXPECT_EQ(demo.frames(), 30u * 48000u);
    EXPECT_GT(peak(demo), 0.1f);
    EXPECT_LT(peak(demo), 1.0f);
    for (size_t second = 0; second + 1 < demo.frames() / 48000; ++second)
    {
        float level = 0.0f;
        for (size_t i = second * 96000; i < (second + 1) * 96000; ++i)
            level = std::max(level, std::fabs(demo.samples[i]));
        EXPECT_GT(level, 0.01f) << "the demo falls silent in second " << second;
    }
}

TEST_F(RenderCommand, GainScalesTheOutputAndPcmClippingIsReported)
{
    const std::string song = folder / "song.mid";
    const Audio plain = render(song, {"--tail", "0"});
    const Audio quieter = render(song, {"--tail", "0", "--gain", "-6"});
    ASSERT_EQ(quieter.samples.size(), plain.samples.size());
    const auto factor = static_cast<float>(std::pow(10.0, -6.0 / 20.0));
    size_t scaled = 0;
    for (size_t i = 0; i < plain.samples.size(); ++i)
        scaled += quieter.samples[i] == plain.samples[i] * factor;
    EXPECT_EQ(scaled, plain.samples.size());

    // Loud enough to clip: one line after the render for the PCM formats, none for float or
    // with --quiet.
    const std::string out = folder / "out.wav";
    struct Case
    {
        std::vector<std::string> options;
        bool reported;
    };
    for (const Case& c :
         {Case{{"--format", "pcm16"}, true}, Case{{"--format", "pcm24"}, true},
          Case{{"--format", "float"}, false}, Case{{"--format", "pcm16", "--quiet"}, false}})
    {
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"--tail", "0", "--gain", "24", song, out});
        const RunResult run = runRender(args, folder);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(readWav(out).frames(), 48000u);
        const std::string expected = c.reported ? "brask-render: warning: " : "";
        EXPECT_EQ(run.err.substr(0, expected.size()), expected) << c.options[1];
        EXPECT_EQ(run.err.find(" samples clipped in " + out + " (peak +") != std::string::npos,
                  c.reported)
            << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), c.reported ? 1 : 0);
    }
}

TEST_F(RenderCommand, AFailedWriteSaysWhyAndLeavesNoFile)
{
    // A file size limit fails the writes as a full disk does.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const RunResult run = runRender({folder / "song.mid", folder / "out.wav"}, folder);
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "brask-render: cannot write " + (folder / "out.wav") + ": " +
                           std::strerror(EFBIG) + "\n");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"song.mid"});
}

TEST_F(RenderCommand, BadInputFailsWithOneLineAndLeavesNoFile)
{
    const std::string songPath = folder / "song.mid";
    ASSERT_TRUE(song().write(folder / "song.mid.orig"));
    const std::string text = folder / "notes.txt";
    ASSERT_TRUE(MidiBytes::writeFile(text, {'h', 'e', 'l', 'l', 'o', '\n'}));
    std::vector<uint8_t> cut = song().bytes();
    cut.resize(cut.size() - 5);
    const std::string truncated = folder / "cut.mid";
    ASSERT_TRUE(MidiBytes::writeFile(truncated, cut));
    const std::string out = folder / "out.wav";
    const std::string pipe = folder / "pipe.wav";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string device = folder / "device.wav";
    ASSERT_EQ(symlink("/dev/null", device.c_str()), 0);

    // A good preset, then copies damaged where a careless reader would trust them.
    const std::string good = folder / "good.vstpreset";
    ASSERT_EQ(runRender({"--save-preset", good}, folder).exitCode, 0);
    const std::string goodBytes = readText(good);
    const auto damaged = [&](const std::string& name, const std::function<void(std::string&)>& f) {
        std::string bytes = goodBytes;
        f(bytes);
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return folder / name;
    };
    const auto listOffset = [](const std::string& bytes) {
        uint64_t offset = 0;
        for (int i = 7; i >= 0; --i)
            offset = (offset << 8) | static_cast<uint8_t>(bytes[40 + static_cast<size_t>(i)]);
        return offset;
    };
    const std::string pastEnd = damaged("past-end.vstpreset", [&](std::string& bytes) {
        bytes[listOffset(bytes) + 8 + 4 + 3] = 0x7F; // the first chunk's offset
    });
    const std::string cutShort =
        damaged("cut.vstpreset", [](std::string& bytes) { bytes.resize(bytes.size() - 1); });
    const std::string otherPlugin = damaged(
        "other.vstpreset", [](std::string& bytes) { bytes[8] = bytes[8] == 'A' ? 'B' : 'A'; });
    const std::string oneByteState = damaged("one-byte.vstpreset", [&](std::string& bytes) {
        bytes[listOffset(bytes) + 8 + 12] = 1; // the processor state chunk's size
    });
    // Outputs that are an input under another name.
    const std::string songLink = folder / "song-link.wav";
    ASSERT_EQ(symlink(songPath.c_str(), songLink.c_str()), 0);
    const std::string songHardLink = folder / "song-hard-link.wav";
    ASSERT_EQ(link(songPath.c_str(), songHardLink.c_str()), 0);
    // More events than the renderer takes: running-status notes, three bytes each.
    MidiBytes hostile(0, 480);
    MidiTrack& flood = hostile.track();
    flood.noteOn(0, 0, 60, 100);
    flood.data.reserve(3 * 4000001u);
    for (uint32_t i = 0; i < 4000000u; ++i)
        flood.data.insert(flood.data.end(), {0, 60, static_cast<uint8_t>(i & 1 ? 100 : 0)});
    const std::string tooManyEvents = folder / "flood.mid";
    ASSERT_TRUE(hostile.write(tooManyEvents));
    flood.data = {};

    struct Case
    {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{folder / "missing.mid", out}, "cannot open"},
        {{text, out}, "not a Standard MIDI File"},
        {{truncated, out}, "truncated"},
        {{"--set", "Volume=0.5", songPath, out}, "unknown parameter \"Volume\""},
        {{"--set", "Glide=Sideways", songPath, out}, "\"Sideways\" is not a value of \"Glide\""},
        {{"--set", "VCF Freq=1.5", songPath, out}, "outside 0..1"},
        {{"--set", "VCF Freq", songPath, out}, "Title=value"},
        {{"--plugin", text, songPath, out}, "as a VST 3 module"},
        {{"--plugin", folder.path, songPath, out}, "cannot find the plug-in module"},
        {{"--plugin", BRASK_FX_MODULE, songPath, out}, "holds no instrument"},
        {{"--preset", text, songPath, out}, "not a VST 3 preset"},
        {{"--preset", folder / "none.vstpreset", songPath, out}, "cannot open"},
        {{"--preset", pastEnd, songPath, out}, "outside the file"},
        {{"--preset", cutShort, songPath, out}, "chunk list"},
        {{"--preset", otherPlugin, songPath, out}, "another plug-in"},
        {{"--preset", "No Such Sound", songPath, out}, "no preset named \"No Such Sound\""},
        {{"--preset", oneByteState, songPath, out}, "processor state is cut short"},
        {{songPath, songPath}, "is the same file as the MIDI file"},
        {{songPath, songLink}, "is the same file as the MIDI file"},
        {{songPath, songHardLink}, "is the same file as the MIDI file"},
        {{"--save-preset", songPath, songPath, out}, "is the same file as the MIDI file"},
        {{"--save-preset", out, songPath, out}, "is the same file as the WAV file"},
        {{"--preset", good, songPath, good}, "is the same file as the preset"},
        {{tooManyEvents, out}, "more than 4000000 events"},
        {{songPath, "/nonexistent/folder/out.wav"}, "cannot write"},
        {{songPath, folder.path}, "is a folder"},
        {{songPath, pipe}, "not a regular file"},
        {{songPath, device}, "not a regular file"},
        {{"--format", "mp3", songPath, out}, "--format"},
        {{"--rate", "0", songPath, out}, "--rate"},
        {{"--gain", "nan", songPath, out}, "--gain"},
        {{"--gain", "100", songPath, out}, "--gain"},
        {{"--tail", "nan", songPath, out}, "--tail"},
        {{songPath}, "both"},
    };
    const std::vector<std::string> before = folder.entries();
    for (const Case& c : cases)
    {
        const RunResult run = runRender(c.args, folder);
        std::string command;
        for (const std::string& arg : c.args)
            command += " " + arg;
        EXPECT_NE(run.exitCode, 0) << command;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << command << "\n" << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << command << run.err;
        EXPECT_EQ(run.err.rfind("brask-render: ", 0), 0u) << run.err;
        EXPECT_EQ(folder.entries(), before) << command << " left a file behind";
    }
    EXPECT_EQ(readText(songPath), readText(folder / "song.mid.orig")) << "an input was replaced";
}

} // namespace
} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
