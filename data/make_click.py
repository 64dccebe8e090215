#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes Click.wav, the key-click sound: a 12 ms tick, a 2.2 kHz tone with a fast decay
over a short damped thump, 16-bit mono PCM at 22050 Hz. Pure arithmetic, so every run
writes the same bytes.

    data/make_click.py [OUT]      (default: Click.wav beside this script)
"""
import math
import os
import struct
import sys
import wave

RATE = 22050
LENGTH_S = 0.012


def samples():
    count = int(RATE * LENGTH_S)
    for i in range(count):
        t = i / RATE
        tick = math.sin(2 * math.pi * 2200 * t) * math.exp(-t / 0.0018)
        thump = math.sin(2 * math.pi * 420 * t) * math.exp(-t / 0.004) * 0.35
        # A 1 ms fade-in keeps the start from popping on sound cards that dislike steps.
        ramp = min(1.0, t / 0.001)
        yield int(round(12000 * ramp * (tick + thump)))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "Click.wav")
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", s) for s in samples()))
    print(f"make_click: wrote {out}")


if __name__ == "__main__":
    main()
