#!/usr/bin/env python3
"""How deep the program's Noise stream queues at the sound server.

PulseAudio tells it as the stream's buffer plus its output's latency. PipeWire's pulse service
reports neither as anything but 0; what it shows of a deep queue is the quantum it asks of the
graph on the stream's behalf (node.latency, frames/rate), which follows the stream's request.
Run alone, it prints "<ms> <queue|quantum> <deep|shallow>"."""

import re
import subprocess

# A queue this long, or a quantum this long, is what a shallow stream (one period of about
# 21 ms) never has.
DEEP_QUEUE_MS = 1000.0
DEEP_QUANTUM_MS = 150.0


def noise_queue():
    """(ms, "queue" or "quantum"), or (0, "queue") when no Noise stream plays."""
    listing = subprocess.run(["pactl", "list", "sink-inputs"], capture_output=True, text=True,
                             check=True).stdout
    for block in listing.split("\n\n"):
        if 'media.name = "Noise"' not in block:
            continue
        queued = sum(int(line.split()[2]) for line in block.splitlines()
                     if "Buffer Latency:" in line or "Sink Latency:" in line) / 1000.0
        quantum = re.search(r'node\.latency = "(\d+)/(\d+)"', block)
        if queued == 0 and quantum:
            return 1000.0 * int(quantum.group(1)) / int(quantum.group(2)), "quantum"
        return queued, "queue"
    return 0.0, "queue"


def is_deep(ms, kind):
    return ms >= (DEEP_QUANTUM_MS if kind == "quantum" else DEEP_QUEUE_MS)


if __name__ == "__main__":
    ms, kind = noise_queue()
    print(f"{ms:.0f} {kind} {'deep' if is_deep(ms, kind) else 'shallow'}")
