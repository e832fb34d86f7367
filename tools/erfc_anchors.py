#!/usr/bin/env python3
"""Prints the anchors of the erfc Taylor expansion in ddspecial/erf.cpp:
for z0 = 1.125 + 0.25 i, i = 0 .. 31 (so every z in (1, 9) is within 1/8 of
one), erfc(z0) and (2/sqrt(pi)) e^(-z0^2), each as a double-double pair
(hi, lo) of hex floats."""
from mpmath import mp, mpf, erfc, exp, sqrt, pi

mp.dps = 60


def dd(v):
    hi = float(v)
    return f"{{{hi.hex()}, {float(v - mpf(hi)).hex()}}}"


for i in range(32):
    z0 = 1.125 + 0.25 * i
    z = mpf(z0)
    print(f"    {{{z0!r}, {dd(erfc(z))}, {dd(2 / sqrt(pi) * exp(-z * z))}}},")
