#!/usr/bin/env python3
"""Prints the first 2560 bits of 2/pi after the binary point as forty 64-bit
words, most significant first (word j holds bits 64j+1 .. 64j+64), for the
table kTwoOverPi in ddelem/trig_reduce.cpp."""
from mpmath import mp, mpf, pi, floor

mp.prec = 3000
v = 2 / pi
words = [int(floor(v * mpf(2) ** (64 * (j + 1)))) % (1 << 64) for j in range(40)]
for j in range(0, 40, 4):
    print("    " + ", ".join(f"0x{w:016X}" for w in words[j:j + 4]) + ",")
