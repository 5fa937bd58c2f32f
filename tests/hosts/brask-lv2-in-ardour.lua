-- SPDX-License-Identifier: GPL-3.0-or-later
-- Brask as an LV2 plug-in in a headless Ardour 7 session (ardour7-lua): a MIDI track with the
-- instrument playing a MIDI region of test notes, two controls moved, the track's peak level
-- while it plays from the start, then the session saved, loaded again and played again. Prints one line
-- per step ("<step> <value> ..."); brask_lv2_ardour_tests checks them. Argument: the folder in
-- which to create the session.
io.stdout:setvbuf("no")
local BraskSession = dofile(debug.getinfo(1, "S").source:match("^@(.*/)") .. "brask-session.lua")

local folder = assert(arg[1], "usage: brask-lv2-in-ardour.lua SESSION_FOLDER")
local name = "brask"
local controls = 24

BraskSession.create(folder, name)
BraskSession.addSynthTrack("https://tarvik.audio/plugins/brask", ARDOUR.PluginType.LV2)
local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)

-- The notes come from a MIDI region on the instrument's track. Ardour's Lua cannot import a MIDI
-- file without its GUI, so a track that only generates the test notes (brask-test-notes.lua) is
-- bounced into a region, which then goes onto the instrument's playlist.
Session:new_midi_track(midi, midi, true, ARDOUR.PluginInfo(), nil, nil, 1, "Notes",
    ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
local notesRoute = Session:route_by_name("Notes")
local notes = ARDOUR.LuaAPI.new_luaproc(Session, "Brask Test Notes")
assert(not notes:isnil(), "no test notes")
assert(notesRoute:add_processor_by_index(notes, 0, nil, true) == 0, "no notes to bounce")
local region = notesRoute:to_track():bounce_range(0, 48000 * 12, ARDOUR.InterThreadInfo(), notes,
    true, "Brask test notes", false)
assert(not region:isnil(), "no MIDI region")
local noteCount = 0
for _ in ARDOUR.LuaAPI.note_list(region:to_midiregion():midi_source(0):model()):iter() do
    noteCount = noteCount + 1
end
print("region-notes " .. noteCount)
Session:route_by_name("Synth"):to_track():playlist():add_region(region, Temporal.timepos_t(0), 1,
    false)
notesRoute:remove_processor(notes, nil, true)
-- Lua would otherwise hold the session's objects past its end.
notes = nil
notesRoute = nil
region = nil
collectgarbage()

local function brask()
    local route = Session:route_by_name("Synth")
    assert(not route:isnil(), "no track")
    for i = 0, 8 do
        local insert = route:nth_plugin(i)
        if insert:isnil() then break end
        if insert:display_name() == "Brask" then return insert:to_insert() end
    end
    error("no Brask on the track")
end

local function values(step)
    local insert = brask()
    local line = step
    for i = 0, controls - 1 do
        line = line .. string.format(" %.9g", ARDOUR.LuaAPI.get_plugin_insert_param(insert, i, true))
    end
    print(line)
end

-- The loudest level of the track's first output while the notes play for three seconds; the
-- first second is left out, where the meter may still fall from before.
local function peak(step)
    local route = Session:route_by_name("Synth")
    local loudest = -200
    Session:goto_start(false)
    for _ = 1, 200 do
        if Session:transport_sample() == 0 then break end
        ARDOUR.LuaAPI.usleep(10000)
    end
    Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
    for i = 1, 300 do
        ARDOUR.LuaAPI.usleep(10000)
        if i > 100 then
            -- Meter channel 0 is the track's MIDI; 1 and 2 its audio.
            loudest = math.max(loudest,
                route:peak_meter():meter_level(1, ARDOUR.MeterType.MeterPeak))
        end
    end
    Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
    print(step .. " " .. string.format("%.9g", loudest))
end

print("plugin " .. brask():plugin(0):name())
values("fresh")
ARDOUR.LuaAPI.set_plugin_insert_param(brask(), 6, 0.123) -- VCF Freq
ARDOUR.LuaAPI.set_plugin_insert_param(brask(), 3, 3)     -- Glide: Mono
values("changed")
peak("peak")

Session:save_state("", false, false, false, false, false)
close_session()
assert(load_session(folder, name), "the saved session does not load")
values("reloaded")
peak("peak-reloaded")
close_session()
print("done")
