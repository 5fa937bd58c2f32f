-- SPDX-License-Identifier: GPL-3.0-or-later
-- A saved Ardour 7 session with one MIDI track playing Brask (VST 3), for Ardour's own window to
-- open (ardour-gui-zoom.sh). Argument: the folder in which to create the session.
io.stdout:setvbuf("no")

local folder = assert(arg[1], "usage: brask-gui-session.lua SESSION_FOLDER")

ARDOUR.config():set_hide_dummy_backend(false)
assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy audio backend")
assert(create_session(folder, "brask", 48000), "no session")
local info = ARDOUR.LuaAPI.new_plugin_info("Brask", ARDOUR.PluginType.VST3)
assert(not info:isnil(), "Ardour does not know the plug-in")
local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
local stereo = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
Session:new_midi_track(midi, stereo, true, info, nil, nil, 1, "Synth",
    ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
Session:save_state("", false, false, false, false, false)
close_session()
print("session saved")
