#!/usr/bin/env python3
"""Writes qel-message.wav, the default new-message sound: a two-note chime,
0.6 s, 16 kHz, 16-bit mono (about 19 KB). Deterministic: running it again
gives the same bytes. Usage: make-message-sound.py [OUTPUT]"""
import math
import struct
import sys
import wave

RATE = 16000
NOTES = [(880.0, 0.0, 0.45), (1318.5, 0.15, 0.45)]  # (hertz, start s, length s)
LENGTH = 0.6

samples = []
for i in range(int(RATE * LENGTH)):
    t = i / RATE
    value = 0.0
    for hertz, start, length in NOTES:
        if start <= t < start + length:
            age = t - start
            attack = min(1.0, age / 0.005)
            value += 0.35 * attack * math.exp(-age * 7.0) * math.sin(2 * math.pi * hertz * age)
    samples.append(max(-32767, min(32767, int(round(value * 32767)))))

with wave.open(sys.argv[1] if len(sys.argv) > 1 else "qel-message.wav", "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(RATE)
    out.writeframes(b"".join(struct.pack("<h", s) for s in samples))
