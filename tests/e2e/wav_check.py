#!/usr/bin/env python3
"""Checks a WAV file the recorder saved: its format, how long it lasts and its spectral slope.

Exits 1, saying why, when the file is not 44100 Hz, 2-channel, 16-bit PCM, when its length is not
within --tolerance seconds of --seconds, or when its slope (noise_slope.py's fit) is not within
--slope-tolerance of --slope.
"""

import argparse
import sys
import wave

import numpy as np

from noise_slope import slope


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("file")
    p.add_argument("--seconds", type=float, required=True)
    p.add_argument("--tolerance", type=float, default=0.5)
    p.add_argument("--slope", type=float, required=True)
    p.add_argument("--slope-tolerance", type=float, default=0.6)
    args = p.parse_args()
    with wave.open(args.file, "rb") as w:
        rate, channels, width, frames = (w.getframerate(), w.getnchannels(), w.getsampwidth(),
                                         w.getnframes())
        data = w.readframes(frames)
    seconds = frames / rate
    print(f"rate={rate} channels={channels} bits={width * 8} seconds={seconds:.2f}", end=" ")
    if (rate, channels, width) != (44100, 2, 2):
        print(f"\nwav_check: {args.file} is not 44100 Hz 2-channel 16-bit", file=sys.stderr)
        return 1
    if abs(seconds - args.seconds) > args.tolerance:
        print(f"\nwav_check: {args.file} lasts {seconds:.2f} s, not {args.seconds} s",
              file=sys.stderr)
        return 1
    samples = np.frombuffer(data, dtype="<i2").astype(np.float64) / 32768.0
    mono = samples.reshape(-1, 2).mean(axis=1)
    value = slope(mono, rate, 100.0, 8000.0)
    print(f"slope_db_per_octave={value:.2f}")
    if abs(value - args.slope) > args.slope_tolerance:
        print(f"wav_check: {args.file}: slope {value:.2f} is not {args.slope}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
