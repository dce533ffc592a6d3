#!/usr/bin/env python3
"""Times a volume slider, from the pointer press to the level step at the test sink's monitor.

Runs inside a test session (session.sh) with the program already on the screen and no row
playing. It then:
  1. measures the recorder's own delay with a control: short tone bursts written to a
     low-latency pacat stream while nothing else plays;
  2. ticks one row's check box, and checks that it plays;
  3. presses the mouse button in that row's volume slider trough, alternately left and right of
     the thumb, so each press moves the volume one page (8 dB) down or up, and finds where in
     the recording the level crossed half way to its new value.

Every event is a real X pointer event (XTest, as xdotool sends them), and every time is the
monotonic clock of this process: a press is timed just before it is sent, and each block of
recorded sound is timed when parec hands it over. A sample therefore carries the arrival time of
its block, which is later than the moment it reached the monitor by the capture delay (the
monitor's block still filling, parec, the pipe). The control measures that delay plus the
little a low-latency writer adds; its median is subtracted from every move, which leaves the
program's own path from X event to sink (X server, Qt, the mixer's period, SDL and server
buffering) and at most a few ms of the control's own writing path too little.

With --at-sink there is no control: every frame is given the time it was at the sink
(stamped_record.py), and under PipeWire the recorder is one that leaves the graph's cycle as
the program alone sets it, where a low-latency parec would shorten it. "Arrival" and "monitor"
are then both the time at the sink.

Prints every figure and exits 1 when the median move is at or above --limit-ms, or when a
press did not change the level as it should.
"""

import argparse
import ctypes
import os
import random
import statistics
import subprocess
import sys
import threading
import time

import numpy as np

from noise_queue import is_deep, noise_queue
from stamped_record import blocks_of, recorder_command, sink_times

RATE = 48000
CHANNELS = 2
FRAME_BYTES = 4 * CHANNELS
PAGE_DB = 8.0  # one page of a volume slider is 800 hundredths of a decibel


class Recorder:
    """The sink's monitor through parec, every block stamped with its arrival time; or, timed
    at the sink, through stamped_record.py's recorder, each frame given the time it was at the
    sink."""

    def __init__(self, device, latency_ms, at_sink=False):
        command = (recorder_command(device, RATE, os.environ.get("QF_SOUND_SERVER") == "pipewire")
                   if at_sink else
                   ["parec", f"--device={device}", "--format=float32le", f"--rate={RATE}",
                    f"--channels={CHANNELS}", f"--latency-msec={latency_ms}", "--raw"])
        self.at_sink = at_sink
        self.proc = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.blocks = []  # (arrival, bytes)
        self.lock = threading.Lock()
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        fd = self.proc.stdout.fileno()
        while True:
            data = os.read(fd, 1 << 16)
            now = time.monotonic()
            if not data:
                return
            with self.lock:
                self.blocks.append((now, data))

    def stop(self):
        self.proc.terminate()
        self.proc.wait()
        self.thread.join(timeout=2)

    def snapshot(self):
        """Samples (frames x channels) and each frame's arrival time."""
        with self.lock:
            blocks = list(self.blocks)
        raw = b"".join(b for _, b in blocks)
        usable = len(raw) - len(raw) % FRAME_BYTES
        samples = np.frombuffer(raw[:usable], dtype="<f4").reshape(-1, CHANNELS)
        if self.at_sink:
            total = np.cumsum([len(b) for _, b in blocks])
            ends, arrivals = blocks_of(zip(total, (t for t, _ in blocks)))
            return samples, sink_times(samples.shape[0], ends, arrivals, RATE)
        arrival = np.empty(samples.shape[0])
        end_bytes = 0
        start = 0
        for t, b in blocks:
            end_bytes += len(b)
            end = min(end_bytes // FRAME_BYTES, samples.shape[0])
            arrival[start:end] = t
            start = end
        return samples, arrival


class Pointer:
    """Pointer events through the XTest extension, the way xdotool makes them."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_int, ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            raise RuntimeError("cannot open the X display")

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.display, -1, x, y, 0)
        self.x11.XSync(self.display, 0)

    def press(self):
        """Presses button 1 and returns the monotonic time just before the event was sent."""
        t = time.monotonic()
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1, 0)
        self.x11.XSync(self.display, 0)
        return t

    def release(self):
        self.xtst.XTestFakeButtonEvent(self.display, 1, 0, 0)
        self.x11.XSync(self.display, 0)


def window_db(samples, frames):
    """Level in dBFS of the window of `frames` frames that ends at each frame."""
    power = np.mean(samples.astype(np.float64) ** 2, axis=1)
    csum = np.concatenate(([0.0], np.cumsum(power)))
    mean = np.full(power.shape[0], np.nan)
    mean[frames - 1:] = (csum[frames:] - csum[:-frames]) / frames
    return 10.0 * np.log10(np.maximum(mean, 1e-20))


def first_frame_after(arrival, t):
    """Index of the first frame that arrived after time t."""
    return int(np.searchsorted(arrival, t, side="right"))


def measure_capture(recorder, bursts):
    """Write-to-arrival delay of tone bursts sent into an otherwise silent sink, in seconds."""
    player = subprocess.Popen(
        ["pacat", "--playback", "--format=float32le", f"--rate={RATE}",
         f"--channels={CHANNELS}", "--latency-msec=2", "--raw"],
        stdin=subprocess.PIPE, stderr=subprocess.DEVNULL)
    n = int(0.06 * RATE)
    tone = (0.3 * np.sin(2 * np.pi * 440.0 * np.arange(n) / RATE)).astype("<f4")
    burst = np.repeat(tone, CHANNELS).tobytes()
    writes = []
    time.sleep(0.3)
    # One more than asked: the first burst wakes the idle sink and is not counted.
    for _ in range(bursts + 1):
        # Nothing is written between bursts, so the stream has run dry and the burst is played
        # as soon as the server has it.
        time.sleep(random.uniform(0.25, 0.4))
        writes.append(time.monotonic())
        os.write(player.stdin.fileno(), burst)
    time.sleep(0.4)
    player.stdin.close()
    player.wait()
    samples, arrival = recorder.snapshot()
    loud = np.max(np.abs(samples), axis=1) > 0.01
    delays = []
    for t in writes[1:]:
        start = first_frame_after(arrival, t)
        hits = np.nonzero(loud[start:])[0]
        if hits.size == 0:
            raise RuntimeError("a control burst never reached the monitor")
        delays.append(arrival[start + hits[0]] - t)
    return delays


def find_step(level, arrival, t_press, expected_db, settle_frames, window_frames):
    """Arrival time of the frame where the level crossed half way to its new value, and the
    levels before and after; None when no such step follows the press."""
    start = first_frame_after(arrival, t_press)
    before = level[max(window_frames, start - int(0.1 * RATE)):start]
    before = before[np.isfinite(before)]
    if before.size == 0:
        return None
    before_db = float(np.median(before))
    half = before_db + expected_db / 2.0
    beyond = level[start:] < half if expected_db < 0 else level[start:] > half
    candidates = np.nonzero(beyond)[0]
    for c in candidates:
        run = beyond[c:c + settle_frames]
        if run.size == settle_frames and np.mean(run) >= 0.95:
            after = level[start + c + settle_frames:start + c + 3 * settle_frames]
            if after.size == 0:
                return None
            return arrival[start + c], before_db, float(np.median(after))
    return None


def breaks_near(level, arrival, t_press, low_db, high_db):
    """Where, from 0.3 s before a press to 0.6 s after it, the level leaves the range the two
    settled levels span by more than a fade can: a gap (silence) or a burst (a click)."""
    start = max(0, first_frame_after(arrival, t_press - 0.3))
    end = min(level.size, first_frame_after(arrival, t_press + 0.6))
    window = level[start:end]
    finite = np.isfinite(window)
    gaps = np.nonzero(finite & (window < low_db - 12.0))[0]
    bursts = np.nonzero(finite & (window > high_db + 6.0))[0]
    found = []
    if gaps.size:
        found.append(f"a gap {(arrival[start + gaps[0]] - t_press) * 1000:+.0f} ms from it")
    if bursts.size:
        found.append(f"a burst {(arrival[start + bursts[0]] - t_press) * 1000:+.0f} ms from it")
    return found


def ran_dry(server_log):
    """How often PulseAudio's debug log says the program's stream has run out so far."""
    if not server_log:
        return 0
    with open(server_log, errors="replace") as log:
        return sum("Implicit underrun of 'Noise'" in line for line in log)


def main():
    p = argparse.ArgumentParser(description=__doc__,
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--client", required=True, help="X,Y of the client area's top-left on screen")
    p.add_argument("--check-box", required=True, help="X,Y in the client area to tick the row")
    p.add_argument("--slider", required=True,
                   help="X,Y,W,H of the row's volume slider in the client area")
    p.add_argument("--moves", type=int, default=10)
    p.add_argument("--first-after", type=float, default=0.0,
                   help="seconds with no input before the first press, which must then be "
                        "within the limit by itself")
    p.add_argument("--deep", action="store_true",
                   help="the Noise stream must queue deeply by then")
    p.add_argument("--bursts", type=int, default=10)
    p.add_argument("--limit-ms", type=float, default=60.0)
    p.add_argument("--record-latency-ms", type=int, default=5)
    p.add_argument("--at-sink", action="store_true",
                   help="time each frame at the sink (stamped_record.py), with no control, and "
                        "under PipeWire with a recorder that leaves the graph's cycle alone")
    p.add_argument("--monitor", default=os.environ.get("QF_MONITOR", "qf_null.monitor"))
    p.add_argument("--busy", type=int, default=0,
                   help="processes that keep a core busy throughout, as a build beside it would")
    p.add_argument("--server-log",
                   help="PulseAudio's debug log: the Noise stream must never run dry while the "
                        "moves are made")
    args = p.parse_args()

    cx, cy = (int(v) for v in args.client.split(","))
    bx, by = (int(v) for v in args.check_box.split(","))
    sx, sy, sw, sh = (int(v) for v in args.slider.split(","))
    # The thumb starts at the right end (0 dB). Left of it a press pages down; at three
    # quarters, where the thumb was, a press pages back up once the thumb sits one page lower.
    down_x = cx + sx + sw // 4
    up_x = cx + sx + (3 * sw) // 4
    slider_y = cy + sy + sh // 2

    pointer = Pointer()
    busy = [subprocess.Popen([sys.executable, "-c", "while True: pass"])
            for _ in range(args.busy)]
    recorder = Recorder(args.monitor, args.record_latency_ms, args.at_sink)
    failures = []
    try:
        capture_s = 0.0
        if not args.at_sink:
            capture = measure_capture(recorder, args.bursts)
            capture_s = statistics.median(capture)
            print("slider_latency: capture delay (control bursts, write to arrival) ms: "
                  + " ".join(f"{d * 1000:.1f}" for d in capture)
                  + f"; median {capture_s * 1000:.1f}")

        pointer.move(cx + bx, cy + by)
        time.sleep(0.1)
        pointer.press()
        time.sleep(0.05)
        pointer.release()
        time.sleep(1.5)
        samples, arrival = recorder.snapshot()
        tail = samples[-int(0.5 * RATE):]
        playing_db = 10 * np.log10(max(float(np.mean(tail.astype(np.float64) ** 2)), 1e-20))
        if playing_db < -40:
            raise RuntimeError(f"ticking the row left the sink silent ({playing_db:.1f} dBFS)")

        dry_before = ran_dry(args.server_log)
        presses = []
        for i in range(args.moves):
            direction = -1 if i % 2 == 0 else 1
            pointer.move(down_x if direction < 0 else up_x, slider_y)
            # Spaced irregularly, so the presses fall at every phase of the sound periods.
            time.sleep(random.uniform(0.15, 0.3))
            if i == 0 and args.first_after > 0:
                time.sleep(args.first_after)
                queued, kind = noise_queue()
                print(f"slider_latency: after {args.first_after:.0f} s without input the Noise "
                      f"stream's {kind} is {queued:.0f} ms")
                if args.deep and not is_deep(queued):
                    failures.append(f"nobody there, the stream's {kind} was only {queued:.0f} ms")
            t = pointer.press()
            time.sleep(0.04)
            pointer.release()
            presses.append((t, direction * PAGE_DB))
            time.sleep(random.uniform(0.3, 0.45))
        time.sleep(0.3)
        samples, arrival = recorder.snapshot()
        dry = ran_dry(args.server_log) - dry_before
        if dry > 0:
            failures.append(f"the Noise stream ran dry {dry} times while the moves were made")
    finally:
        recorder.stop()
        for process in busy:
            process.kill()
            process.wait()

    window_frames = int(0.004 * RATE)
    level = window_db(samples, window_frames)
    raw, corrected = [], []
    for n, (t, expected) in enumerate(presses, 1):
        step = find_step(level, arrival, t, expected, int(0.03 * RATE), window_frames)
        if step is None:
            failures.append(f"move {n} ({expected:+.0f} dB): no level step followed the press")
            continue
        seen, before_db, after_db = step
        change = after_db - before_db
        if abs(change - expected) > 2.0:
            failures.append(f"move {n}: the level changed by {change:+.1f} dB, not {expected:+.0f}")
        raw.append(seen - t)
        corrected.append(seen - t - capture_s)
        for problem in breaks_near(level, arrival, t, min(before_db, after_db),
                                   max(before_db, after_db)):
            failures.append(f"move {n}: {problem}")
        if n == 1 and args.first_after > 0 and corrected[-1] * 1000 >= args.limit_ms:
            failures.append(f"the first move, after {args.first_after:.0f} s without input, "
                            f"took {corrected[-1] * 1000:.1f} ms")
        print(f"slider_latency: move {n:2d} {expected:+.0f} dB ({before_db:.1f} -> "
              f"{after_db:.1f} dBFS): press to arrival {raw[-1] * 1000:.1f} ms, "
              f"to monitor {corrected[-1] * 1000:.1f} ms")

    if corrected:
        median = statistics.median(corrected)
        worst = max(corrected)
        print(f"slider_latency: press to monitor over {len(corrected)} moves: median "
              f"{median * 1000:.1f} ms, worst {worst * 1000:.1f} ms (press to arrival: median "
              f"{statistics.median(raw) * 1000:.1f} ms, worst {max(raw) * 1000:.1f} ms)")
        if median * 1000 >= args.limit_ms:
            failures.append(f"median {median * 1000:.1f} ms is not under {args.limit_ms:.0f} ms")
    for f in failures:
        print(f"slider_latency: {f}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
