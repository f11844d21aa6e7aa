#!/usr/bin/env python3
"""Writes resources/sounds/chime.wav: Lumora's own alarm chime.

Two bell-like partials per note (a fundamental and an inharmonic overtone)
with a fast attack and an exponential decay, two notes a fifth apart."""
import math
import struct
import sys
import wave

RATE = 44100
LENGTH = 0.9


def note(t, start, freq):
    if t < start:
        return 0.0
    x = t - start
    attack = min(1.0, x / 0.004)
    decay = math.exp(-x * 5.0)
    return attack * decay * (math.sin(2 * math.pi * freq * x)
                             + 0.35 * math.sin(2 * math.pi * freq * 2.76 * x) * math.exp(-x * 6.0))


def main(path):
    frames = bytearray()
    for i in range(int(RATE * LENGTH)):
        t = i / RATE
        v = 0.42 * note(t, 0.0, 1046.5) + 0.38 * note(t, 0.16, 1568.0)
        frames += struct.pack('<h', int(max(-1.0, min(1.0, v)) * 32000))
    with wave.open(path, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'resources/sounds/chime.wav')
