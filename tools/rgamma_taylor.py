#!/usr/bin/env python3
"""Prints the Taylor coefficients c_k of 1/Gamma(1+z) about 0, k = 0 .. 39, as
double-double pairs (hi, lo) of hex floats, for the table kRgammaTaylor in
ddspecial/bessel.cpp.  For |z| <= 1/2 the omitted terms are below 1e-42."""
from mpmath import mp, mpf, taylor, gamma

mp.dps = 80
for k, c in enumerate(taylor(lambda z: 1 / gamma(1 + z), 0, 39)):
    hi = float(c)
    lo = float(c - mpf(hi))
    print(f"    {{{hi.hex()}, {lo.hex()}}},  // c_{k}")
