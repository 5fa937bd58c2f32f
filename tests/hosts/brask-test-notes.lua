-- SPDX-License-Identifier: GPL-3.0-or-later
-- A Lua DSP processor for the Ardour tests: it plays the same MIDI from the moment it starts,
-- so that an instrument after it sounds the same in every run of a session.
ardour {
    ["type"]    = "dsp",
    name        = "Brask Test Notes",
    category    = "Utility",
    license     = "GPL-3.0-or-later",
    author      = "Tarvik",
    description = [[A chord every half second, held for a quarter second: MIDI for the tests.]]
}

function dsp_ioconfig ()
    return { { midi_in = 1, midi_out = 1, audio_in = 0, audio_out = 0 } }
end

local played = 0
local period = 24000

function dsp_run (_, _, n_samples)
    local count = 1
    local function send (offset, data)
        midiout[count] = { time = offset + 1, data = data }
        count = count + 1
    end
    for offset = 0, n_samples - 1 do
        local at = (played + offset) % period
        if at == 0 then
            send (offset, { 0x90, 48, 100 })
            send (offset, { 0x90, 55, 90 })
        elseif at == period / 2 then
            send (offset, { 0x80, 48, 0 })
            send (offset, { 0x80, 55, 0 })
        end
    end
    played = played + n_samples
end
