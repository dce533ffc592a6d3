#!/usr/bin/env python3
"""Writes a sine tone to stdout as raw float32le stereo, for playing into the test sink."""

import argparse
import sys

import numpy as np


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--hz", type=float, default=440.0)
    p.add_argument("--seconds", type=float, default=2.0)
    p.add_argument("--rate", type=int, default=48000)
    p.add_argument("--left", type=float, default=0.25, help="peak amplitude of the left side")
    p.add_argument("--right", type=float, default=0.25, help="peak amplitude of the right side")
    args = p.parse_args()
    n = int(round(args.seconds * args.rate))
    sine = np.sin(2.0 * np.pi * args.hz * np.arange(n) / args.rate)
    stereo = np.stack([sine * args.left, sine * args.right], axis=1).astype("<f4")
    sys.stdout.buffer.write(stereo.tobytes())
    return 0


if __name__ == "__main__":
    sys.exit(main())
