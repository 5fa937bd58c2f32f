-- SPDX-License-Identifier: GPL-3.0-or-later
-- A saved Ardour 7 session with one MIDI track playing Brask (VST 3), for Ardour's own window to
-- open (ardour-editor.sh). With a preset name, Ardour first loads that preset from its own
-- preset list, as a musician does in its plug-in window, for the session to compare with.
-- Arguments: the folder in which to create the session, and optionally the preset's name.
io.stdout:setvbuf("no")
local BraskSession = dofile(debug.getinfo(1, "S").source:match("^@(.*/)") .. "brask-session.lua")

local folder = assert(arg[1], "usage: brask-gui-session.lua SESSION_FOLDER [PRESET]")
local preset = arg[2]

BraskSession.create(folder, "brask")
BraskSession.addSynthTrack("Brask", ARDOUR.PluginType.VST3)
if preset then
    local plugin = Session:route_by_name("Synth"):nth_plugin(0):to_insert():plugin(0)
    local record = plugin:preset_by_label(preset)
    assert(record, "Ardour lists no preset " .. preset)
    assert(plugin:load_preset(record), "preset not loaded")
    BraskSession.letAudioRun()
    plugin = nil
    record = nil
    print("preset loaded")
end
Session:save_state("", false, false, false, false, false)
close_session()
print("session saved")
