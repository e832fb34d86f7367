#!/usr/bin/env python3
"""Prints the 160-point Gauss-Legendre rule on [-1, 1] for the table
kGaussLegendre160 in ddspecial/struve.cpp: its 80 positive nodes (largest
first) and their weights, each as a double-double pair (hi, lo) of hex
floats.  Nodes by Newton's method on the Legendre recurrence at 60 digits."""
from mpmath import mp, mpf, cos, pi

mp.dps = 60
N = 160


def legendre(n, t):
    """P_n(t) and P_n'(t)."""
    p0, p1 = mpf(1), t
    for j in range(2, n + 1):
        p0, p1 = p1, ((2 * j - 1) * t * p1 - (j - 1) * p0) / j
    return p1, n * (t * p1 - p0) / (t * t - 1)


def dd(v):
    hi = float(v)
    return f"{{{hi.hex()}, {float(v - mpf(hi)).hex()}}}"


for k in range(1, N // 2 + 1):
    t = cos(pi * (k - mpf(1) / 4) / (N + mpf(1) / 2))
    for _ in range(100):
        p, dp = legendre(N, t)
        step = p / dp
        t -= step
        if abs(step) < mpf(10) ** -55:
            break
    p, dp = legendre(N, t)
    print(f"    {{{dd(t)}, {dd(2 / ((1 - t * t) * dp * dp))}}},")
