-- SPDX-License-Identifier: GPL-3.0-or-later
-- What the headless Ardour scripts share (ardour7-lua): a new session on the Dummy backend with
-- a MIDI track playing Brask, and letting the audio engine run. A script beside it loads it with
--   dofile(debug.getinfo(1, "S").source:match("^@(.*/)") .. "brask-session.lua")
local BraskSession = {}

--- A new session `name` in `folder` at 48 kHz, on Ardour's Dummy backend.
function BraskSession.create(folder, name)
    ARDOUR.config():set_hide_dummy_backend(false)
    assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy audio backend")
    assert(create_session(folder, name, 48000), "no session")
end

--- A MIDI track "Synth" with the plug-in `id` (a name for VST 3, a URI for LV2) of `type`.
function BraskSession.addSynthTrack(id, type)
    local info = ARDOUR.LuaAPI.new_plugin_info(id, type)
    assert(not info:isnil(), "Ardour does not know the plug-in " .. id)
    local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
    local stereo = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
    Session:new_midi_track(midi, stereo, true, info, nil, nil, 1, "Synth",
        ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
    return info
end

--- Parameter changes reach the processor in the process cycle: rolls until some have passed.
function BraskSession.letAudioRun()
    local from = Session:transport_sample()
    Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
    for _ = 1, 2000 do
        if Session:transport_sample() >= from + 8192 then break end
        ARDOUR.LuaAPI.usleep(10000)
    end
    Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
    assert(Session:transport_sample() >= from + 8192, "the audio engine does not run")
end

return BraskSession
