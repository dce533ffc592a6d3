#!/usr/bin/env python3
"""Measures how a raw recording of the test sink fades from steady sound to silence.

The level is taken in --block second blocks (RMS of both channels). The steady level is the
median of the blocks between --steady-from and --steady-to seconds. Prints one line of
key=value pairs:
  steady_dbfs   the steady level
  fade_end      start of the silence (below --silence dBFS) that lasts to the end
  fade_start    time of the last block within 1 dB of the steady level before that
  fade_seconds  fade_end - fade_start
  last_db       the last block before the silence, in dB against the steady level: a fade heard
                to its end reaches silence from far down, one cut off drops from where it was cut
  slope_db_s    least-squares slope of the block levels (dB per second) while the level lies
                between --fit-top and --fit-bottom dB below the steady level
  worst_db      the largest distance of a block from that line, in dB
  fit_span      the time those blocks cover
  outliers      blocks left out of the line, more than 3 dB off it: a gap in the stream when
                the machine is busy takes a block's level far down, and says nothing of the fade
Times are seconds from the start of the recording. Exits 1, naming it, when no fade is found.
"""

import argparse
import sys

import numpy as np


def main():
    p = argparse.ArgumentParser(description=__doc__,
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("file")
    p.add_argument("--rate", type=int, default=48000)
    p.add_argument("--block", type=float, default=0.01)
    p.add_argument("--steady-from", type=float, default=0.2)
    p.add_argument("--steady-to", type=float, default=1.0)
    p.add_argument("--silence", type=float, default=-120.0)
    p.add_argument("--fit-top", type=float, default=3.0)
    p.add_argument("--fit-bottom", type=float, default=50.0)
    args = p.parse_args()

    raw = np.fromfile(args.file, dtype="<f4")
    stereo = raw[: raw.shape[0] - raw.shape[0] % 2].reshape(-1, 2).astype(np.float64)
    size = max(1, int(args.block * args.rate))
    count = stereo.shape[0] // size
    blocks = stereo[: count * size].reshape(count, size * 2)
    rms = np.sqrt(np.mean(blocks ** 2, axis=1))
    level = 20 * np.log10(np.maximum(rms, 1e-15))
    times = (np.arange(count) + 0.5) * args.block

    steady_part = level[(times >= args.steady_from) & (times < args.steady_to)]
    if steady_part.size == 0:
        print("fade_shape: the steady stretch lies outside the recording", file=sys.stderr)
        return 1
    steady = float(np.median(steady_part))
    sounding = np.nonzero(level >= args.silence)[0]
    if sounding.size == 0 or sounding[-1] + 1 >= count:
        tail = " ".join(f"{x:.0f}" for x in level[-20:])
        print(f"fade_shape: {args.file}: does not end in silence; last levels: {tail}",
              file=sys.stderr)
        return 1
    end = int(sounding[-1]) + 1
    loud = np.nonzero(level[:end] >= steady - 1.0)[0]
    if loud.size == 0:
        print(f"fade_shape: {args.file}: no steady sound before the silence", file=sys.stderr)
        return 1
    start = int(loud[-1])
    result = {
        "steady_dbfs": steady,
        "fade_start": times[start],
        "fade_end": times[end],
        "fade_seconds": times[end] - times[start],
        "last_db": level[end - 1] - steady,
    }
    span = np.arange(start, end)
    relative = level[span] - steady
    inside = span[(relative <= -args.fit_top) & (relative >= -args.fit_bottom)]
    if inside.size >= 3:
        kept = inside
        for _ in range(3):
            slope, offset = np.polyfit(times[kept], level[kept], 1)
            off = np.abs(level[inside] - (slope * times[inside] + offset))
            kept = inside[off <= 3.0]
            if kept.size < 3:
                kept = inside
                break
        slope, offset = np.polyfit(times[kept], level[kept], 1)
        result["slope_db_s"] = float(slope)
        result["worst_db"] = float(np.max(np.abs(level[kept] - (slope * times[kept] + offset))))
        result["fit_span"] = float(times[inside[-1]] - times[inside[0]])
        result["outliers"] = int(inside.size - kept.size)
    print(" ".join(f"{k}={v:.3f}" for k, v in result.items()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
