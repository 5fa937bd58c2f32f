-- SPDX-License-Identifier: GPL-3.0-or-later
-- A saved Ardour 7 session with one MIDI track playing Brask (VST 3), for Ardour's own window to
-- open (ardour-editor.sh). With a preset name, Ardour first loads that preset from its own
-- preset list, as a musician does in its plug-in window, for the session to compare with.
-- Arguments: the folder in which to create the session, and optionally the preset's name.
io.stdout:setvbuf("no")

local folder = assert(arg[1], "usage: brask-gui-session.lua SESSION_FOLDER [PRESET]")
local preset = arg[2]

ARDOUR.config():set_hide_dummy_backend(false)
assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy audio backend")
assert(create_session(folder, "brask", 48000), "no session")
local info = ARDOUR.LuaAPI.new_plugin_info("Brask", ARDOUR.PluginType.VST3)
assert(not info:isnil(), "Ardour does not know the plug-in")
local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
local stereo = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
Session:new_midi_track(midi, stereo, true, info, nil, nil, 1, "Synth",
    ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
if preset then
    local plugin = Session:route_by_name("Synth"):nth_plugin(0):to_insert():plugin(0)
    local record = plugin:preset_by_label(preset)
    assert(record, "Ardour lists no preset " .. preset)
    assert(plugin:load_preset(record), "preset not loaded")
    -- Ardour hands the values to the processor in the process cycle.
    local from = Session:transport_sample()
    Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
    for _ = 1, 2000 do
        if Session:transport_sample() >= from + 8192 then break end
        ARDOUR.LuaAPI.usleep(10000)
    end
    Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
    plugin = nil
    record = nil
    print("preset loaded")
end
Session:save_state("", false, false, false, false, false)
close_session()
print("session saved")
