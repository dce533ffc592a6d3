#!/usr/bin/env python3
"""Fits the spectral slope of a raw recording of the test sink, in dB per octave.

Welch-averaged power spectrum (Hann window, 8192 points, half overlap) of the mono sum, averaged
into third-octave bands between --low and --high Hz, then a least-squares line through the band
levels against log2 of the band centres. Prints "slope_db_per_octave=<value>" and, given
--expect, exits 1 when the slope is not within --tolerance of it.
"""

import argparse
import sys

import numpy as np


def slope(mono, rate, low, high):
    size = 8192
    hop = size // 2
    window = np.hanning(size)
    segments = (mono.shape[0] - size) // hop + 1
    if segments < 1:
        raise ValueError("recording too short")
    power = np.zeros(size // 2 + 1)
    for s in range(segments):
        chunk = mono[s * hop : s * hop + size] * window
        power += np.abs(np.fft.rfft(chunk)) ** 2
    freqs = np.fft.rfftfreq(size, 1.0 / rate)
    centres, levels = [], []
    f = low
    while f * 2 ** (1 / 6) <= high:
        lo, hi = f * 2 ** (-1 / 6), f * 2 ** (1 / 6)
        band = (freqs >= lo) & (freqs < hi)
        if band.any():
            centres.append(np.log2(f))
            levels.append(10 * np.log10(power[band].mean()))
        f *= 2 ** (1 / 3)
    return float(np.polyfit(centres, levels, 1)[0])


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("file")
    p.add_argument("--rate", type=int, default=48000)
    p.add_argument("--skip", type=float, default=0.3, help="seconds to drop at the start")
    p.add_argument("--low", type=float, default=100.0)
    p.add_argument("--high", type=float, default=8000.0)
    p.add_argument("--expect", type=float)
    p.add_argument("--tolerance", type=float, default=0.5)
    args = p.parse_args()
    raw = np.fromfile(args.file, dtype="<f4")
    stereo = raw[: raw.shape[0] - raw.shape[0] % 2].reshape(-1, 2).astype(np.float64)
    mono = stereo[int(args.skip * args.rate) :].mean(axis=1)
    value = slope(mono, args.rate, args.low, args.high)
    print(f"slope_db_per_octave={value:.2f}")
    if args.expect is not None and abs(value - args.expect) > args.tolerance:
        print(f"noise_slope: {args.file}: slope {value:.2f} is not {args.expect} "
              f"+- {args.tolerance}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
