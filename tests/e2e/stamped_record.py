#!/usr/bin/env python3
"""Records a sink's monitor into a raw file (float32le stereo), and notes beside it, in
FILE.times, when each block arrived: one line per block, "<bytes so far> <seconds>", the time
on the wall clock (bash's $EPOCHREALTIME is the same clock).

A sound server hands a recorder the sink's sound a block at a time, as the sink renders it, at
the start of the time that block covers: a frame is at the sink when its block arrived plus its
place in the block. heard_at() gives that time; it is later than the truth by the few ms of the
recorder's own path, never earlier, as long as most blocks hold one of the sink's cycles.
Under PulseAudio parec's do (its short fragments make the null sink render in them). Under
PipeWire a pulse client's fragment is also the cycle it asks of the graph, so a short one would
have the graph cycle faster for the recorder than for a quiet desktop, and a long one would
gather several cycles in a block: there a native recorder (pw-record) takes every cycle as the
graph runs it, and asks for more latency than the graph's longest cycle, so it changes nothing.

SIGINT or SIGTERM ends the recording once parec has handed over what it holds."""

import argparse
import os
import signal
import subprocess
import sys
import time

import numpy as np

FRAME_BYTES = 8


def recorder_command(device, rate, pipewire):
    """The recorder for a sink's monitor: PipeWire's own client, or parec."""
    if pipewire:
        return ["pw-record", f"--target={device.removesuffix('.monitor')}",
                "--properties=stream.capture.sink=true", "--latency=200ms", "--format=f32",
                f"--rate={rate}", "--channels=2", "-"]
    return ["parec", f"--device={device}", "--format=float32le", f"--rate={rate}",
            "--channels=2", "--latency-msec=20", "--raw"]


def blocks_of(reads):
    """Each block's end in frames and its arrival, as two arrays, from (end in bytes, arrival)
    of every read. Reads that came within 2 ms of the one before are one block that the pipe
    happened to split."""
    ends, arrivals = [], []
    for end, arrival in reads:
        if arrivals and arrival - arrivals[-1] < 0.002:
            ends[-1] = end // FRAME_BYTES
        else:
            ends.append(end // FRAME_BYTES)
            arrivals.append(arrival)
    return np.array(ends), np.array(arrivals)


def read_times(path):
    with open(path) as times:
        return blocks_of((int(line.split()[0]), float(line.split()[1])) for line in times)


def _start_near(frame, ends, arrivals, rate):
    """The sink's start as the blocks within half a second of this frame tell it: the median of
    each block's arrival less its place in the recording, so that a block that came late, or
    that gathered two, does not move it."""
    starts = np.concatenate(([0], ends[:-1]))
    near = np.abs(starts - frame) < rate // 2
    if not near.any():
        near = np.ones(starts.size, dtype=bool)
    return float(np.median(arrivals[near] - starts[near] / rate))


def heard_at(frame, ends, arrivals, rate):
    """When this frame (an index into the recording) was at the sink: the sink plays on without
    a break, so it is the sink's start plus frame / rate."""
    return _start_near(frame, ends, arrivals, rate) + frame / rate


def sink_times(count, ends, arrivals, rate):
    """heard_at() for each of the recording's first `count` frames."""
    starts = np.concatenate(([0], ends[:-1]))
    start = np.array([_start_near(s, ends, arrivals, rate) for s in starts])
    frames = np.arange(count)
    block = np.minimum(np.searchsorted(ends, frames, side="right"), ends.size - 1)
    return start[block] + frames / rate


def frame_at(t, ends, arrivals, rate):
    """The first frame that was at the sink at time t or after."""
    guess = 0
    for _ in range(3):
        guess = max(0, int(np.ceil(guess + (t - heard_at(guess, ends, arrivals, rate)) * rate)))
    return min(guess, int(ends[-1]))


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("file")
    p.add_argument("--device", required=True)
    p.add_argument("--rate", type=int, default=48000)
    p.add_argument("--pipewire", action="store_true", help="record with PipeWire's own client")
    args = p.parse_args()

    recorder = subprocess.Popen(recorder_command(args.device, args.rate, args.pipewire),
                                stdout=subprocess.PIPE)

    def finish(*_):
        recorder.send_signal(signal.SIGINT)

    signal.signal(signal.SIGINT, finish)
    signal.signal(signal.SIGTERM, finish)
    total = 0
    source = recorder.stdout.fileno()
    out = os.open(args.file, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
    with open(args.file + ".times", "w", buffering=1) as times:
        while True:
            try:
                data = os.read(source, 1 << 16)
            except InterruptedError:
                continue
            arrival = time.time()
            if not data:
                break
            os.write(out, data)
            total += len(data)
            times.write(f"{total} {arrival:.6f}\n")
    os.close(out)
    return recorder.wait()


if __name__ == "__main__":
    sys.exit(main())
