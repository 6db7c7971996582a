#!/usr/bin/env python3
"""Writes the alarm's warning sound: three short two-tone beeps, 16-bit mono."""
import math
import struct
import sys
import wave

RATE = 22050


def tone(frequency, seconds, volume=0.6):
    count = int(RATE * seconds)
    fade = int(RATE * 0.005)  # no clicks at the edges
    samples = []
    for i in range(count):
        envelope = min(1.0, i / fade, (count - 1 - i) / fade)
        samples.append(volume * envelope * math.sin(2 * math.pi * frequency * i / RATE))
    return samples


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def main(path):
    samples = []
    for _ in range(3):
        samples += tone(1320, 0.09) + tone(990, 0.09) + silence(0.06)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(s * 32767)) for s in samples))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "KVWarning.wav")
