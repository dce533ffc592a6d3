#!/usr/bin/env python3
"""How the program's sound rose at its start, in a raw recording of the test sink (float32le
stereo) that began before the program did.

The amplitude (RMS of 20 ms blocks of the differenced signal, which takes out pink and brown
noise's slow swings) relative to the recording's last second, which must be steady, is fitted
as silence, then a straight rise, then steady: fade_onset's fall, backwards in time. Prints
rise_s (the rise's length), first_db (the level of the rise's first 100 ms against the steady
level) and worst_step (the largest gap between a 100 ms stretch of the rise and the fitted one,
as a share of the steady level; a step or a jump in the rise shows there, while steady noise
strays some 0.06 either way).
"""

import argparse
import sys

import numpy as np

from fade_onset import best_fall

BLOCK_S = 0.02


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("file")
    p.add_argument("--rate", type=int, default=48000)
    args = p.parse_args()

    raw = np.fromfile(args.file, dtype="<f4")
    stereo = raw[: raw.size - raw.size % 2].reshape(-1, 2).astype(np.float64)
    stereo = np.diff(stereo, axis=0, prepend=stereo[:1])
    block = int(BLOCK_S * args.rate)
    blocks = stereo.shape[0] // block
    amplitude = np.sqrt(np.mean(stereo[: blocks * block].reshape(blocks, block * 2) ** 2, axis=1))
    tail = amplitude[-int(1.0 / BLOCK_S):]
    if tail.size == 0 or np.mean(tail) <= 0:
        print("start_rise: no steady sound at the end", file=sys.stderr)
        return 1
    level = amplitude / np.mean(tail)
    sounding = np.nonzero(level > 1e-4)[0]
    if sounding.size == 0:
        print("start_rise: the program was never heard", file=sys.stderr)
        return 1
    # From a little before the first sound, backwards: steady, then a fall to silence.
    first = max(0, sounding[0] - 10)
    backwards = level[first:][::-1]
    times = np.arange(backwards.size) * BLOCK_S
    _, onset, length = best_fall(times, backwards, np.arange(0.0, times[-1], 0.02),
                                 np.arange(0.1, 5.0, 0.05))
    _, onset, length = best_fall(times, backwards, np.arange(onset - 0.02, onset + 0.02, 0.002),
                                 np.arange(max(0.05, length - 0.05), length + 0.05, 0.005))
    shape = np.clip(1.0 - (times - onset) / length, 0.0, 1.0)
    # The rise's start, in blocks from its end backwards.
    start = int(round((onset + length) / BLOCK_S))
    head = backwards[max(0, start - 5):start]
    first_db = 20 * np.log10(max(float(np.sqrt(np.mean(head ** 2))) if head.size else 0, 1e-9))
    # Over the rise alone: the steady level's own ups and downs are the noise's.
    stretch = 5
    rise = slice(int(onset / BLOCK_S), start)
    usable = (rise.stop - rise.start) // stretch * stretch
    measured = backwards[rise.start:rise.start + usable].reshape(-1, stretch).mean(axis=1)
    fitted = shape[rise.start:rise.start + usable].reshape(-1, stretch).mean(axis=1)
    worst = float(np.max(np.abs(measured - fitted))) if usable else 1.0
    print(f"rise_s={length:.3f} first_db={first_db:.1f} worst_step={worst:.3f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
