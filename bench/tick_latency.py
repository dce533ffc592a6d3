#!/usr/bin/env python3
"""Times a row's check box, from the click that ticks it to the first sound at the sink's monitor.

Runs inside a test session (tests/e2e/session.sh) with the program on the screen and no row on.
It measures the recorder's own delay with control bursts first, the way slider_latency.py does,
and then, --ticks times: ticks the row, checks that it plays, unticks it and waits --off-seconds
so that the output is idle again before the next tick. Whether the program's "Noise" stream was
open on the sound server just before each tick is printed beside it.

A check box changes on the button's release, so a tick is timed just before the release is sent.
Sound is the first frame louder than --threshold-db (peak of both channels): an idle null sink
gives digital silence, so this is where the noise begins. The control's median capture delay is
subtracted from every tick, as in slider_latency.py.

The last line is machine-readable: "tick_latency: ms median=M max=X n=N open_before=K".
Exits 1 when a tick gave no sound, or the row was not silent before a tick.
"""

import argparse
import os
import random
import statistics
import subprocess
import sys
import time

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from slider_latency import (RATE, Pointer, Recorder, first_frame_after,  # noqa: E402
                            measure_capture)


def noise_stream_open():
    out = subprocess.run(["pactl", "list", "sink-inputs"], capture_output=True, text=True).stdout
    return 'media.name = "Noise"' in out


def click(pointer, x, y):
    """Clicks at (x, y) on the screen; returns the time just before the release."""
    pointer.move(x, y)
    time.sleep(0.1)
    pointer.press()
    time.sleep(0.03)
    t = time.monotonic()
    pointer.release()
    return t


def main():
    p = argparse.ArgumentParser(description=__doc__,
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--client", required=True, help="X,Y of the client area's top-left on screen")
    p.add_argument("--check-box", required=True, help="X,Y in the client area of the check box")
    p.add_argument("--ticks", type=int, default=5)
    p.add_argument("--off-seconds", type=float, default=2.0)
    p.add_argument("--bursts", type=int, default=10)
    p.add_argument("--threshold-db", type=float, default=-60.0)
    p.add_argument("--record-latency-ms", type=int, default=5)
    p.add_argument("--monitor", default=os.environ.get("QF_MONITOR", "qf_null.monitor"))
    args = p.parse_args()

    cx, cy = (int(v) for v in args.client.split(","))
    bx, by = (int(v) for v in args.check_box.split(","))
    threshold = 10 ** (args.threshold_db / 20)

    pointer = Pointer()
    recorder = Recorder(args.monitor, args.record_latency_ms)
    ticks = []  # (release time, stream open just before)
    try:
        capture = measure_capture(recorder, args.bursts)
        capture_s = statistics.median(capture)
        print("tick_latency: capture delay (control bursts) ms: "
              + " ".join(f"{d * 1000:.1f}" for d in capture)
              + f"; median {capture_s * 1000:.1f}")
        # The control's stream has just closed; give the output the same rest as between ticks.
        time.sleep(args.off_seconds)
        for _ in range(args.ticks):
            was_open = noise_stream_open()
            # Irregular spacing, so the ticks fall at every phase of the sound server's periods.
            time.sleep(random.uniform(0.1, 0.3))
            ticks.append((click(pointer, cx + bx, cy + by), was_open))
            time.sleep(1.0)
            click(pointer, cx + bx, cy + by)
            time.sleep(args.off_seconds)
        samples, arrival = recorder.snapshot()
    finally:
        recorder.stop()

    loud = np.max(np.abs(samples), axis=1) > threshold
    corrected, failures = [], []
    for n, (t, was_open) in enumerate(ticks, 1):
        start = first_frame_after(arrival, t)
        before = loud[max(0, start - int(0.3 * RATE)):start]
        if np.any(before):
            failures.append(f"tick {n}: the sink was not silent before the tick")
            continue
        hits = np.nonzero(loud[start:start + RATE])[0]
        if hits.size == 0:
            failures.append(f"tick {n}: no sound within 1 s of the tick")
            continue
        raw = arrival[start + hits[0]] - t
        corrected.append(raw - capture_s)
        print(f"tick_latency: tick {n}: release to arrival {raw * 1000:.1f} ms, to monitor "
              f"{corrected[-1] * 1000:.1f} ms (noise stream open before: "
              f"{'yes' if was_open else 'no'})")
    for f in failures:
        print(f"tick_latency: {f}", file=sys.stderr)
    opened = sum(1 for _, was_open in ticks if was_open)
    if corrected:
        print(f"tick_latency: ms median={statistics.median(corrected) * 1000:.1f} "
              f"max={max(corrected) * 1000:.1f} n={len(corrected)} open_before={opened}")
    return 1 if failures or not corrected else 0


if __name__ == "__main__":
    sys.exit(main())
