#!/usr/bin/env python3
"""When a linear fade to silence began in a raw recording of the test sink (float32le stereo).

The amplitude (RMS of 5 ms blocks) of steady noise that fades linearly is flat, then falls on a
straight line to silence. That shape is fitted to the blocks from --steady-before on, by least
squares over where the fall begins and how long it lasts, which gives the moment the fade began
free of the noise's own ups and downs. (Fitting a line to the blocks that lie between two levels
was biased: the noise's dips before the fade pass the upper level too, flattening the line and
putting its start some 35 ms early.)
Prints onset_s (seconds from the start of the recording) and fade_s (the fall's length).
Given the recording's arrival times (stamped_record.py) and --asked-at, the moment of the
command on the same clock, it places the command by that and prints delay_ms too: from the
command to the fall's start at the sink.
With --drop the fall is a step of a few ms (Mute): onset_s is then the start of the first 2 ms
block below a tenth of the steady amplitude, and fade_s is 0.
"""

import argparse
import sys

import numpy as np

from stamped_record import frame_at, heard_at, read_times


def best_fall(times, level, onsets, lengths):
    """(cost, onset, length) of the flat-then-linear fall among these that best fits `level`."""
    best = (np.inf, 0.0, 0.0)
    for length in lengths:
        shape = np.clip(1.0 - (times[None, :] - onsets[:, None]) / length, 0.0, 1.0)
        cost = np.sum((shape - level[None, :]) ** 2, axis=1)
        k = int(np.argmin(cost))
        if cost[k] < best[0]:
            best = (float(cost[k]), float(onsets[k]), float(length))
    return best


def fall_fit(times, level, step):
    """(onset, length) of the fall that best fits `level` (1 = steady): on a coarse grid, then
    on a fine one around the coarse best. None when the sound does not end quiet."""
    if times.size < 8 or level[-4:].mean() > 0.5:
        return None
    _, onset, length = best_fall(times, level, np.arange(times[0] - 0.05, times[-1], step),
                                 np.arange(0.05, 0.8, 0.01))
    _, onset, length = best_fall(times, level, np.arange(onset - step, onset + step, step / 10),
                                 np.arange(max(0.02, length - 0.02), length + 0.02, 0.002))
    return onset, length


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("file")
    p.add_argument("--rate", type=int, default=48000)
    p.add_argument("--steady-before", type=float,
                   help="seconds into the recording before which the sound is steady")
    p.add_argument("--times", help="the recording's arrival times (FILE.times)")
    p.add_argument("--asked-at", type=float,
                   help="with --times: when the command was given, on the recorder's clock")
    p.add_argument("--drop", action="store_true", help="a step to silence, not a fade")
    args = p.parse_args()
    stamps = None
    if args.times and args.asked_at is not None:
        stamps = read_times(args.times)
        args.steady_before = frame_at(args.asked_at, *stamps, args.rate) / args.rate
    elif args.steady_before is None:
        p.error("--steady-before, or --times with --asked-at, is needed")

    def report(onset, fade):
        delay = ""
        if stamps is not None:
            at = heard_at(round(onset * args.rate), *stamps, args.rate)
            delay = f" delay_ms={(at - args.asked_at) * 1000:.1f}"
        print(f"onset_s={onset:.4f} fade_s={fade:.3f}{delay}")

    raw = np.fromfile(args.file, dtype="<f4")
    stereo = raw[: raw.size - raw.size % 2].reshape(-1, 2).astype(np.float64)
    # The difference of neighbouring samples: what the fade does to the level is the same, but
    # brown and pink noise's slow swings, which make a few ms of them loud or quiet, are gone.
    stereo = np.diff(stereo, axis=0, prepend=stereo[:1])
    block = int((0.002 if args.drop else 0.005) * args.rate)
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
        report(quiet[0] * block / args.rate, 0.0)
        return 0
    # Least squares meets the mean of the steady level, not its median.
    level = amplitude[after] / float(np.mean(steady_blocks))
    fit = fall_fit(times[after], level, block / args.rate)
    if fit is None:
        print("fade_onset: no fade after the command", file=sys.stderr)
        return 1
    onset, length = fit
    end = onset + length
    report(onset, end - onset)
    return 0


if __name__ == "__main__":
    sys.exit(main())
