#!/usr/bin/env python3
"""Writes the snapshot sound, a camera shutter's two clicks, into resources/sounds/: PCM,
11025 samples per second, mono, 8 bits, 2412 sample bytes. Run once after changing the
sound; the WAV file is committed."""
import math
import random
import wave
from pathlib import Path

RATE = 11025
SAMPLE_COUNT = 2412
# Start of each click in samples, its loudness and how fast it dies away (per sample).
CLICKS = [(0, 1.0, 0.012), (1100, 0.8, 0.016)]
# The mechanical body of the shutter: a low tone under the noise of each click.
BODY_HZ = 900.0


def click_level(n, start, loudness, decay, noise):
    if n < start:
        return 0.0
    t = n - start
    envelope = loudness * math.exp(-decay * t)
    tone = math.sin(2.0 * math.pi * BODY_HZ * t / RATE)
    return envelope * (0.6 * noise + 0.4 * tone)


def render():
    noise = random.Random(136)  # fixed seed: the file only changes with the recipe
    samples = bytearray()
    for n in range(SAMPLE_COUNT):
        white = noise.uniform(-1.0, 1.0)
        level = sum(click_level(n, start, loud, decay, white) for start, loud, decay in CLICKS)
        level = max(-1.0, min(1.0, level * 0.9))
        samples.append(int(round(128 + 127 * level)))  # 8-bit PCM is unsigned around 128
    return bytes(samples)


def main():
    path = Path(__file__).resolve().parent.parent / "resources" / "sounds" / "snapshot.wav"
    path.parent.mkdir(parents=True, exist_ok=True)
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(RATE)
        out.writeframes(render())
    print(f"wrote {path}")


if __name__ == "__main__":
    main()
