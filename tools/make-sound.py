#!/usr/bin/env python3
"""Writes the Monitor's built-in alert sound (a short two-note chime) as an 8-bit mono WAV file.
The sound is committed; run this again only to change it."""
import math
import os
import struct
import sys

RATE = 22050
NOTES = ((880.0, 0.12), (1318.5, 0.22))  # A5 then E6, seconds each


def samples():
    out = bytearray()
    for frequency, seconds in NOTES:
        count = int(RATE * seconds)
        for i in range(count):
            t = i / RATE
            # A quick attack and an exponential decay keep the edges free of clicks.
            envelope = min(1.0, i / (RATE * 0.005)) * math.exp(-4.0 * t / seconds)
            value = envelope * (0.7 * math.sin(2 * math.pi * frequency * t) +
                                0.3 * math.sin(4 * math.pi * frequency * t))
            out.append(128 + int(round(100 * value)))
    return bytes(out)


def write_wav(path):
    data = samples()
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    fmt = b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE, 1, 8)
    with open(path, "wb") as f:
        f.write(header + fmt + b"data" + struct.pack("<I", len(data)) + data)


def main():
    default = os.path.join(os.path.dirname(__file__), "..", "resources", "sounds", "alert.wav")
    path = sys.argv[1] if len(sys.argv) > 1 else default
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    write_wav(path)


if __name__ == "__main__":
    main()
