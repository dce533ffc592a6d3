#!/usr/bin/env python3
"""How deep the program's Noise stream queues at the sound server.

PulseAudio tells it as the stream's buffer plus its output's latency. PipeWire's pulse service
reports neither as anything but 0; it shows the queue it keeps for the stream instead
(pulse.attr.tlength, in bytes of the stream's format).
Run alone, it prints "<ms> <queue|target> <deep|shallow>"."""

import re
import subprocess

# A queue this long is what a shallow stream (four periods of about 21 ms) never has.
DEEP_QUEUE_MS = 1000.0

SAMPLE_BYTES = {"s16le": 2, "s16be": 2, "float32le": 4, "float32be": 4, "s32le": 4, "s24le": 3}


def noise_queue():
    """(ms, "queue" or "target"), or (0, "queue") when no Noise stream plays."""
    listing = subprocess.run(["pactl", "list", "sink-inputs"], capture_output=True, text=True,
                             check=True).stdout
    for block in listing.split("\n\n"):
        if 'media.name = "Noise"' not in block:
            continue
        queued = sum(int(line.split()[2]) for line in block.splitlines()
                     if "Buffer Latency:" in line or "Sink Latency:" in line) / 1000.0
        target = re.search(r'pulse\.attr\.tlength = "(\d+)"', block)
        # pactl's sample format line, as in "float32le 2ch 48000Hz".
        layout = re.search(r"\b([su]\d+[lb]e|float32[lb]e) (\d+)ch (\d+)Hz", block)
        if queued == 0 and target and layout:
            frame = SAMPLE_BYTES.get(layout.group(1), 4) * int(layout.group(2))
            return 1000.0 * int(target.group(1)) / frame / int(layout.group(3)), "target"
        return queued, "queue"
    return 0.0, "queue"


def is_deep(ms):
    return ms >= DEEP_QUEUE_MS


if __name__ == "__main__":
    ms, kind = noise_queue()
    print(f"{ms:.0f} {kind} {'deep' if is_deep(ms) else 'shallow'}")
