-- SPDX-License-Identifier: GPL-3.0-or-later
-- Brask in a headless Ardour 7 session (ardour7-lua): a MIDI track with the instrument, its
-- preset saved and loaded back, the session saved and loaded, and Ardour's reset to defaults.
-- Prints one line per step ("<step> <value> ..."); brask_ardour_tests checks them. Argument:
-- the folder in which to create the session.
io.stdout:setvbuf("no")
local BraskSession = dofile(debug.getinfo(1, "S").source:match("^@(.*/)") .. "brask-session.lua")

local folder = assert(arg[1], "usage: brask-in-ardour.lua SESSION_FOLDER")
local name = "brask"
local vcfFreq = 6 -- the parameter every step moves away from where it was

BraskSession.create(folder, name)

local function brask()
    local route = Session:route_by_name("Synth")
    assert(not route:isnil(), "no track")
    local insert = route:nth_plugin(0):to_insert()
    assert(not insert:isnil(), "no plug-in on the track")
    return insert
end

local function values(step, insert)
    local line = step
    for i = 0, insert:plugin(0):parameter_count() - 1 do
        line = line .. string.format(" %.17g", ARDOUR.LuaAPI.get_plugin_insert_param(insert, i, true))
    end
    print(line)
end

local letAudioRun = BraskSession.letAudioRun
local info = BraskSession.addSynthTrack("Brask", ARDOUR.PluginType.VST3)
print("plugin " .. info.path)
local insert = brask()
local plugin = insert:plugin(0)
values("fresh", insert)

-- Ardour holds its own lock while it hands a preset's state to the controller.
assert(plugin:save_preset("x"), "preset not saved")
ARDOUR.LuaAPI.set_plugin_insert_param(insert, vcfFreq, 0.25)
letAudioRun()
print(string.format("changed %.17g", ARDOUR.LuaAPI.get_plugin_insert_param(insert, vcfFreq, true)))
print("loading-preset")
assert(plugin:load_preset(plugin:preset_by_label("x")), "preset not loaded")
values("preset", insert)

ARDOUR.LuaAPI.set_plugin_insert_param(insert, vcfFreq, 0.25)
letAudioRun()
insert = nil
plugin = nil
Session:save_state("", false, false, false, false, false)
close_session()
assert(load_session(folder, name), "session not loaded")
insert = brask()
values("reloaded", insert)

ARDOUR.LuaAPI.set_plugin_insert_param(insert, 0, 0.3)
assert(insert:reset_parameters_to_default(), "no reset")
values("reset", insert)
insert = nil
close_session()
print("done")
