#!/usr/bin/env python3
"""When a linear fade to silence began in a raw recording of the test sink (float32le stereo).

The amplitude (RMS of 10 ms blocks) of steady noise that fades linearly falls on a straight line;
the line fitted where it lies between 85 % and 15 % of the steady amplitude, taken back to the
steady amplitude, gives the moment the fade began, free of the noise's own ups and downs.
Prints onset_s (seconds from the start of the recording) and fade_s (the line's length).
With --drop the fall is a step of a few ms (Mute): onset_s is then the start of the first 2 ms
block below a tenth of the steady amplitude, and fade_s is 0.
"""

import argparse
import sys

import numpy as np


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("file")
    p.add_argument("--rate", type=int, default=48000)
    p.add_argument("--steady-before", type=float, required=True,
                   help="seconds into the recording before which the sound is steady")
    p.add_argument("--drop", action="store_true", help="a step to silence, not a fade")
    args = p.parse_args()

    raw = np.fromfile(args.file, dtype="<f4")
    stereo = raw[: raw.size - raw.size % 2].reshape(-1, 2).astype(np.float64)
    block = int((0.002 if args.drop else 0.01) * args.rate)
    blocks = stereo.shape[0] // block
    power = np.mean(stereo[: blocks * block].reshape(blocks, block * 2) ** 2, axis=1)
    amplitude = np.sqrt(power)
    times = (np.arange(blocks) + 0.5) * block / args.rate
    steady_blocks = amplitude[(times > 0.1) & (times < args.steady_before)]
    if steady_blocks.size == 0 or np.median(steady_blocks) <= 0:
        print("fade_onset: no steady sound before the command", file=sys.stderr)
        return 1
    steady = float(np.median(steady_blocks))
    after = times >= args.steady_before
    if args.drop:
        quiet = np.nonzero(after & (amplitude < 0.1 * steady))[0]
        if quiet.size == 0:
            print("fade_onset: the level does not drop after the command", file=sys.stderr)
            return 1
        print(f"onset_s={quiet[0] * block / args.rate:.4f} fade_s=0")
        return 0
    inside = after & (amplitude < 0.85 * steady) & (amplitude > 0.15 * steady)
    if np.count_nonzero(inside) < 4:
        print("fade_onset: no fade after the command", file=sys.stderr)
        return 1
    slope, intercept = np.polyfit(times[inside], amplitude[inside], 1)
    if slope >= 0:
        print("fade_onset: the level does not fall", file=sys.stderr)
        return 1
    onset = (steady - intercept) / slope
    end = -intercept / slope
    print(f"onset_s={onset:.4f} fade_s={end - onset:.3f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
