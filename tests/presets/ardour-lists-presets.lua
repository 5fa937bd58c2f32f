-- SPDX-License-Identifier: GPL-3.0-or-later
-- How many presets a headless Ardour 7 lists for Brask, in a session of its own. Argument: the
-- folder in which to create the session.
local folder = assert(arg[1], "usage: ardour-lists-presets.lua SESSION_FOLDER")
ARDOUR.config():set_hide_dummy_backend(false)
AudioEngine:set_backend("None (Dummy)", "", "")
local session = create_session(folder, "session", 48000)
assert(session)
for plugin in ARDOUR.LuaAPI.list_plugins():iter() do
    if plugin.name == "Brask" then
        local count = 0
        for preset in plugin:get_presets():iter() do count = count + 1 end
        print("Brask presets: " .. count)
    end
end
close_session()
