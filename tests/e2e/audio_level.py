#!/usr/bin/env python3
"""Measures a raw recording of the test sink and optionally checks it.

Prints one line of key=value pairs:
  seconds        length of the recording
  active_seconds time covered by 50 ms blocks louder than --floor dBFS
  rms_dbfs       RMS level of the active blocks (both channels), -inf when none
  peak_dbfs      highest absolute sample of the whole recording
  dominant_hz    strongest frequency of the active blocks (0 when none)
  left_dbfs, right_dbfs   RMS per channel over the active blocks

Exits 1 when a requested check fails, naming it on stderr.
"""

import argparse
import math
import sys

import numpy as np

FORMATS = {"float32le": "<f4", "s16le": "<i2"}


def db(x):
    return 20.0 * math.log10(x) if x > 0 else float("-inf")


def measure(samples, rate, floor_db):
    block = max(1, rate // 20)
    frames = samples.shape[0]
    result = {"seconds": frames / rate}
    peak = float(np.max(np.abs(samples))) if frames else 0.0
    result["peak_dbfs"] = db(peak)

    nblocks = frames // block
    if nblocks == 0:
        active = samples[:0]
    else:
        blocks = samples[: nblocks * block].reshape(nblocks, block, samples.shape[1])
        block_rms = np.sqrt(np.mean(blocks.astype(np.float64) ** 2, axis=(1, 2)))
        loud = block_rms > 10.0 ** (floor_db / 20.0)
        active = blocks[loud].reshape(-1, samples.shape[1])
    result["active_seconds"] = active.shape[0] / rate

    if active.shape[0] == 0:
        result.update(rms_dbfs=float("-inf"), left_dbfs=float("-inf"),
                      right_dbfs=float("-inf"), dominant_hz=0.0)
        return result
    a = active.astype(np.float64)
    result["rms_dbfs"] = db(math.sqrt(float(np.mean(a ** 2))))
    result["left_dbfs"] = db(math.sqrt(float(np.mean(a[:, 0] ** 2))))
    result["right_dbfs"] = db(math.sqrt(float(np.mean(a[:, -1] ** 2))))
    mono = a.mean(axis=1)
    window = np.hanning(mono.shape[0])
    spectrum = np.abs(np.fft.rfft(mono * window))
    spectrum[0] = 0.0
    k = int(np.argmax(spectrum))
    # Parabolic interpolation between bins gives the peak to a fraction of a bin.
    offset = 0.0
    if 0 < k < spectrum.shape[0] - 1:
        l, c, r = np.log(spectrum[k - 1 : k + 2] + 1e-30)
        denom = l - 2 * c + r
        if denom != 0:
            offset = 0.5 * (l - r) / denom
    result["dominant_hz"] = (k + offset) * rate / mono.shape[0]
    return result


def main():
    p = argparse.ArgumentParser(description=__doc__,
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("file")
    p.add_argument("--format", choices=sorted(FORMATS), default="float32le")
    p.add_argument("--rate", type=int, default=48000)
    p.add_argument("--channels", type=int, default=2)
    p.add_argument("--from", dest="start", type=float, default=0.0,
                   help="seconds into the recording where the part measured starts")
    p.add_argument("--to", dest="end", type=float, help="... and where it ends")
    p.add_argument("--floor", type=float, default=-70.0,
                   help="blocks quieter than this (dBFS) count as silence")
    p.add_argument("--min-db", type=float, help="fail when rms_dbfs is below this")
    p.add_argument("--max-db", type=float, help="fail when rms_dbfs is above this")
    p.add_argument("--max-peak-db", type=float, help="fail when peak_dbfs is above this")
    p.add_argument("--min-active", type=float, help="fail when active_seconds is below this")
    p.add_argument("--max-active", type=float, help="fail when active_seconds is above this")
    p.add_argument("--min-seconds", type=float, help="fail when the recording is shorter")
    p.add_argument("--expect-hz", type=float, help="fail unless dominant_hz is this")
    p.add_argument("--hz-tolerance", type=float, default=2.0)
    p.add_argument("--left-db", type=float, help="fail unless left_dbfs is this")
    p.add_argument("--right-db", type=float, help="fail unless right_dbfs is this")
    p.add_argument("--db-tolerance", type=float, default=1.0)
    args = p.parse_args()

    raw = np.fromfile(args.file, dtype=FORMATS[args.format])
    usable = raw.shape[0] - raw.shape[0] % args.channels
    samples = raw[:usable].reshape(-1, args.channels).astype(np.float64)
    end = None if args.end is None else int(args.end * args.rate)
    samples = samples[int(args.start * args.rate) : end]
    if args.format == "s16le":
        samples /= 32768.0
    r = measure(samples, args.rate, args.floor)
    print(" ".join(f"{k}={v:.2f}" for k, v in sorted(r.items())))

    failures = []
    if args.min_db is not None and not r["rms_dbfs"] >= args.min_db:
        failures.append(f"rms_dbfs {r['rms_dbfs']:.2f} < {args.min_db}")
    if args.max_db is not None and not r["rms_dbfs"] <= args.max_db:
        failures.append(f"rms_dbfs {r['rms_dbfs']:.2f} > {args.max_db}")
    if args.max_peak_db is not None and not r["peak_dbfs"] <= args.max_peak_db:
        failures.append(f"peak_dbfs {r['peak_dbfs']:.2f} > {args.max_peak_db}")
    if args.min_active is not None and not r["active_seconds"] >= args.min_active:
        failures.append(f"active_seconds {r['active_seconds']:.2f} < {args.min_active}")
    if args.max_active is not None and not r["active_seconds"] <= args.max_active:
        failures.append(f"active_seconds {r['active_seconds']:.2f} > {args.max_active}")
    if args.min_seconds is not None and not r["seconds"] >= args.min_seconds:
        failures.append(f"seconds {r['seconds']:.2f} < {args.min_seconds}")
    for side in ("left", "right"):
        want = getattr(args, f"{side}_db")
        have = r[f"{side}_dbfs"]
        if want is not None and not abs(have - want) <= args.db_tolerance:
            failures.append(f"{side}_dbfs {have:.2f} is not {want} +- {args.db_tolerance}")
    if args.expect_hz is not None and not abs(r["dominant_hz"] - args.expect_hz) <= args.hz_tolerance:
        failures.append(f"dominant_hz {r['dominant_hz']:.2f} is not {args.expect_hz} "
                        f"+- {args.hz_tolerance}")
    for f in failures:
        print(f"audio_level: {args.file}: {f}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
