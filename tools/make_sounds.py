#!/usr/bin/env python3
"""Writes the program's five default sounds into data/: short sine beeps,
16-bit mono PCM at 22050 Hz. Run from the repository root."""
import math
import struct
import sys
import wave
from pathlib import Path

RATE = 22050


def tone(freq_start, freq_end, ms, volume=0.5):
    """One beep gliding from freq_start to freq_end, with soft edges."""
    n = int(RATE * ms / 1000)
    edge = max(1, min(n // 4, int(RATE * 0.004)))
    phase = 0.0
    out = []
    for i in range(n):
        f = freq_start + (freq_end - freq_start) * i / max(1, n - 1)
        phase += 2 * math.pi * f / RATE
        env = min(1.0, i / edge, (n - 1 - i) / edge)
        out.append(volume * env * math.sin(phase))
    return out


def silence(ms):
    return [0.0] * int(RATE * ms / 1000)


SOUNDS = {
    "click.wav": tone(1800, 1800, 25),
    "tick.wav": tone(3000, 3000, 15, 0.4),
    "rec.wav": tone(1000, 1000, 60) + silence(40) + tone(1500, 1500, 60),
    "tmrstart.wav": tone(660, 660, 80) + tone(880, 880, 80) + tone(1320, 1320, 100),
    "expand.wav": tone(400, 1200, 120, 0.4),
}


def write(path, samples):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(s * 32767)) for s in samples))


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path("data")
    folder.mkdir(parents=True, exist_ok=True)
    for name, samples in SOUNDS.items():
        write(folder / name, samples)
        print(folder / name, (folder / name).stat().st_size, "bytes")


if __name__ == "__main__":
    main()
