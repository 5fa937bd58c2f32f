#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes resource/demo/brask-demo.mid, a 30-second piece that shows what Brask does: chords,
a gliding single-note line, and sweeps of the mod wheel, pitch bend and controller 74.

The line glides because the demo is rendered in the "Poly-Glide" voice mode (see the README):

    build/host/render/brask-render --set "Glide=Poly-Glide" --set "Gld Rate=0.55" \\
        resource/demo/brask-demo.mid brask-demo.wav

Only the standard library is used; the output is the same byte for byte on every run.
"""

import os
import struct
import sys

PPQ = 480                 # ticks per quarter note
TEMPO = 600000            # microseconds per quarter: 100 BPM
BAR = 4 * PPQ
CHANNEL = 0

MOD_WHEEL = 1
FILTER_MOD = 74           # drives "Filter Mod+", as the breath controller does


def note_number(name):
    """'A3' -> 57 (middle C is C4 = 60)."""
    steps = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
    pitch = steps[name[0]]
    rest = name[1:]
    if rest.startswith("#"):
        pitch, rest = pitch + 1, rest[1:]
    elif rest.startswith("b"):
        pitch, rest = pitch - 1, rest[1:]
    return 12 * (int(rest) + 1) + pitch


class Track:
    def __init__(self, name):
        self.events = []  # (tick, order, bytes)
        self.length = 0  # the end-of-track event comes no earlier than this tick
        self.meta(0, 0x03, name.encode("ascii"))

    def add(self, tick, data):
        self.events.append((tick, len(self.events), bytes(data)))

    def meta(self, tick, kind, payload):
        self.add(tick, [0xFF, kind] + variable_length(len(payload)) + list(payload))

    def note(self, tick, length, name, velocity):
        pitch = note_number(name)
        self.add(tick, [0x90 | CHANNEL, pitch, velocity])
        # Note-off written as a note-on without velocity, as many sequencers do.
        self.add(tick + length, [0x90 | CHANNEL, pitch, 0])

    def controller(self, tick, number, value):
        self.add(tick, [0xB0 | CHANNEL, number, max(0, min(127, int(round(value))))])

    def bend(self, tick, value):
        value = max(0, min(16383, int(round(value))))
        self.add(tick, [0xE0 | CHANNEL, value & 0x7F, value >> 7])

    def sweep(self, start, end, step, send, first, last):
        """Sends values from first to last, evenly over [start, end], every step ticks."""
        count = max(1, (end - start) // step)
        for i in range(count + 1):
            send(start + i * step if i < count else end, first + (last - first) * i / count)

    def chunk(self):
        # Note-offs sort before note-ons at the same tick so that repeated notes retrigger.
        def key(event):
            tick, order, data = event
            is_off = data[0] & 0xF0 == 0x80 or (data[0] & 0xF0 == 0x90 and data[2] == 0)
            return (tick, 0 if is_off else 1, order)

        out = bytearray()
        now = 0
        running = None
        end = 0
        for tick, _, data in sorted(self.events, key=key):
            out += bytes(variable_length(tick - now))
            now = tick
            end = max(end, tick)
            status = data[0]
            if status < 0xF0 and status == running:
                out += data[1:]  # running status
            else:
                out += data
                running = status if status < 0xF0 else None
        out += bytes(variable_length(max(0, self.length - now))) + bytes([0xFF, 0x2F, 0x00])
        return b"MTrk" + struct.pack(">I", len(out)) + bytes(out)


def variable_length(value):
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return groups


def conductor():
    track = Track("Brask demo")
    track.meta(0, 0x51, TEMPO.to_bytes(3, "big"))
    track.meta(0, 0x58, bytes([4, 2, 24, 8]))  # 4/4
    track.length = 12 * BAR + 2 * PPQ  # room for the last chord's release
    return track


def chords():
    """Bars 1-4 and 9-12: held chords; controller 74 opens and closes the filter, the last
    chords bend down and back and get a mod-wheel vibrato."""
    track = Track("Chords")
    track.controller(0, MOD_WHEEL, 0)
    track.controller(0, FILTER_MOD, 0)
    track.bend(0, 8192)

    first = [["A2", "E3", "A3", "C4"], ["F2", "C3", "A3", "C4"],
             ["C3", "G3", "C4", "E4"], ["G2", "D3", "G3", "B3"]]
    for bar, chord in enumerate(first):
        for i, name in enumerate(chord):
            track.note(bar * BAR + i * 20, BAR - 60, name, 80 - 5 * i)
    track.sweep(0, 3 * BAR, 60, lambda t, v: track.controller(t, FILTER_MOD, v), 0, 110)
    track.sweep(3 * BAR, 4 * BAR, 60, lambda t, v: track.controller(t, FILTER_MOD, v), 110, 0)

    second = [["D3", "A3", "D4", "F4"], ["F2", "C3", "A3", "F4"],
              ["E2", "B2", "G#3", "E4"], ["A2", "E3", "A3", "C#4"]]
    start = 8 * BAR
    for bar, chord in enumerate(second):
        length = BAR - 60 if bar < 3 else BAR + PPQ
        for name in chord:
            track.note(start + bar * BAR, length, name, 70)
    track.sweep(start, start + 2 * BAR, 60, lambda t, v: track.controller(t, FILTER_MOD, v), 20, 90)
    # Bar 11: the chord sags a semitone and comes back.
    bar11 = start + 2 * BAR
    track.sweep(bar11 + PPQ, bar11 + 2 * PPQ, 30, lambda t, v: track.bend(t, v), 8192, 0)
    track.sweep(bar11 + 2 * PPQ, bar11 + 4 * PPQ, 30, lambda t, v: track.bend(t, v), 0, 8192)
    # Bar 12: the final chord swells into vibrato while the filter closes.
    bar12 = start + 3 * BAR
    track.sweep(bar12, bar12 + 3 * PPQ, 40, lambda t, v: track.controller(t, MOD_WHEEL, v), 0, 127)
    track.sweep(bar12, bar12 + 5 * PPQ, 60, lambda t, v: track.controller(t, FILTER_MOD, v), 90, 0)
    return track


def lead():
    """Bars 5-8: a single legato line that glides from note to note, with a mod-wheel swell on
    its long notes and pitch-bend scoops at the phrase ends."""
    track = Track("Lead")
    eighth = PPQ // 2
    phrase = [  # (note, length in eighths)
        ("A4", 2), ("C5", 1), ("E5", 1), ("D5", 2), ("C5", 1), ("B4", 1),
        ("C5", 2), ("A4", 2), ("E4", 4),
        ("F4", 1), ("G4", 1), ("A4", 1), ("C5", 1), ("B4", 2), ("G4", 2),
        ("A4", 8),
    ]
    tick = 4 * BAR
    for name, eighths in phrase:
        length = eighths * eighth
        # A little overlap keeps the line legato.
        track.note(tick, length + 30, name, 96)
        tick += length
    # Vibrato on the long E4 (bar 6, beats 3-4) and on the last A4 (bar 8).
    e4 = 5 * BAR + 2 * PPQ
    track.sweep(e4, e4 + 2 * PPQ, 40, lambda t, v: track.controller(t, MOD_WHEEL, v), 0, 100)
    track.controller(e4 + 2 * PPQ, MOD_WHEEL, 0)
    last = 7 * BAR
    track.sweep(last + PPQ, last + 4 * PPQ, 40, lambda t, v: track.controller(t, MOD_WHEEL, v),
                0, 127)
    track.controller(8 * BAR, MOD_WHEEL, 0)
    # Scoops: the note starts a semitone low and bends up to pitch.
    for at in (5 * BAR, 7 * BAR):
        track.sweep(at, at + PPQ // 2, 20, lambda t, v: track.bend(t, v), 0, 8192)
    # The filter opens a little for the line.
    track.controller(4 * BAR, FILTER_MOD, 40)
    track.controller(8 * BAR - 10, FILTER_MOD, 20)
    return track


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resource", "demo",
                                                              "brask-demo.mid")
    tracks = [conductor(), chords(), lead()]
    data = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    data += b"".join(track.chunk() for track in tracks)
    with open(path, "wb") as out:
        out.write(data)
    print(f"{path}: {len(data)} bytes")


if __name__ == "__main__":
    main()
