#!/usr/bin/env python3
"""Tells where a recorder's take starts and ends against a reference capture of the same sink.

The sink carries a slow chirp, so every stretch of it is unlike any other. The reference capture
(raw float32le stereo) ran throughout; the test noted how many bytes it held when Record and Stop
were clicked. The take (raw s16le stereo, 44100 Hz) is located in the reference by
cross-correlating pieces of its first and last second, and the two places are compared with the
clicks. The best of four pieces at each end counts: PipeWire's captures at 44100 Hz hold short
breaks of their own (a hand-started parec's as well as the program's), and one that falls in a
single piece would make it unlike the reference, which does not share it.

Prints: start_ms (take start minus Record's click), end_ms (take end minus Stop's click),
take_ms and clicks_ms. Exits 1 when --limit-ms is given and either offset exceeds it.
"""

import argparse
import sys

import numpy as np

PIECE_SECONDS = 0.25
PIECES = 4
SEARCH_SECONDS = 4.0


def mono(raw, dtype, scale):
    samples = np.frombuffer(raw, dtype=dtype).astype(np.float64) / scale
    samples = samples[: samples.size // 2 * 2].reshape(-1, 2)
    return samples.mean(axis=1)


def resample(signal, rate_in, rate_out):
    n = int(round(signal.size * rate_out / rate_in))
    return np.interp(np.arange(n) * rate_in / rate_out, np.arange(signal.size), signal)


def locate(reference, piece, near, rate):
    """The reference frame where `piece` begins, searched within SEARCH_SECONDS of `near`."""
    lo = max(0, near - int(SEARCH_SECONDS * rate))
    hi = min(reference.size, near + int(SEARCH_SECONDS * rate) + piece.size)
    window = reference[lo:hi]
    if window.size < piece.size:
        raise ValueError("the reference does not reach the take")
    size = 1 << int(np.ceil(np.log2(window.size + piece.size)))
    corr = np.fft.irfft(np.fft.rfft(window, size) * np.conj(np.fft.rfft(piece, size)), size)
    corr = corr[: window.size - piece.size + 1]
    # The window's energy under each placement of the piece, from a running sum.
    running = np.concatenate(([0.0], np.cumsum(window**2)))
    sliding = running[piece.size :] - running[: -piece.size]
    energy = np.sqrt(np.maximum(sliding, 0.0) * np.sum(piece**2))
    score = corr / np.maximum(energy, 1e-12)
    best = int(np.argmax(score))
    return lo + best, float(score[best])


def best_place(reference, take, first, near, rate):
    """Where take[first:] would begin in the reference, by the best-matching of PIECES pieces
    from `first` on (forward when first is 0, else backward from the take's end)."""
    piece = int(PIECE_SECONDS * rate)
    best = (0, -1.0)
    for k in range(PIECES):
        at = first + k * piece if first == 0 else take.size - (k + 1) * piece
        place, score = locate(reference, take[at : at + piece], near + at - first, rate)
        if score > best[1]:
            best = (place - (at - first), score)
    return best


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("reference")
    p.add_argument("take")
    p.add_argument("--rate", type=int, default=48000, help="the reference's rate")
    p.add_argument("--take-rate", type=int, default=44100)
    p.add_argument("--record-byte", type=int, required=True)
    p.add_argument("--stop-byte", type=int, required=True)
    p.add_argument("--limit-ms", type=float)
    args = p.parse_args()

    with open(args.reference, "rb") as f:
        reference = mono(f.read(), "<f4", 1.0)
    with open(args.take, "rb") as f:
        take = resample(mono(f.read(), "<i2", 32768.0), args.take_rate, args.rate)
    piece = int(PIECE_SECONDS * args.rate)
    if take.size < PIECES * piece:
        print(f"the take holds only {take.size / args.rate:.3f} s", file=sys.stderr)
        return 1
    record_at = args.record_byte // 8
    stop_at = args.stop_byte // 8
    start, start_score = best_place(reference, take, 0, record_at, args.rate)
    # The end: where the take's last frame would lie, found from pieces before it.
    tail = take.size - piece
    last, end_score = best_place(reference, take, tail, stop_at - piece, args.rate)
    end = last + piece
    if min(start_score, end_score) < 0.8:
        print(f"the take is not the chirp (match {start_score:.2f}, {end_score:.2f})",
              file=sys.stderr)
        return 1
    start_ms = (start - record_at) * 1000.0 / args.rate
    end_ms = (end - stop_at) * 1000.0 / args.rate
    take_ms = take.size * 1000.0 / args.rate
    clicks_ms = (stop_at - record_at) * 1000.0 / args.rate
    figures = (f"start_ms={start_ms:.0f} end_ms={end_ms:.0f} take_ms={take_ms:.0f} "
               f"clicks_ms={clicks_ms:.0f}")
    print(figures)
    if args.limit_ms is not None and max(abs(start_ms), abs(end_ms)) > args.limit_ms:
        print(f"the take is off its clicks by more than {args.limit_ms:.0f} ms: {figures}",
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
