#!/usr/bin/env python3
"""Prints the tables of ddspecial/bessel_airy_impl.hpp, for J and Y of large
order near the turning point by the uniform expansion in Airy functions,

  J_nu(nu z) = c Phi(w) [Ai(t) (1 + A_1(zeta) / nu^2) + Ai'(t) B_0(zeta) / nu^(4/3)],
  Y_nu(nu z) = -(the same with Bi, Bi'),

w = 1 - z, c = (2/nu)^(1/3), t = nu^(2/3) zeta = c (nu - x) Z(w), with

  (2/3) zeta^(3/2) = atanh(s) - s = s^3 F(s^2),  s^2 = 1 - z^2 = u = 2w - w^2,
  F(u) = sum_k u^k / (2k + 3), G = 3F, so that
  zeta = 2^(1/3) w Z(w),           Z(w) = (1 - w/2) G(u)^(2/3),
  phi = (4 zeta / u)^(1/4) = 2^(1/3) Phi(w),  Phi(w) = G(u)^(1/6),
  A_k = sum_{j<=2k} (3/2)^j v_j zeta^(-3j/2) U_{2k-j}(p),
  B_k = -zeta^(-1/2) sum_{j<=2k+1} (3/2)^j u_j zeta^(-3j/2) U_{2k-j+1}(p),

p = 1/s, U_k Debye's polynomials (tools/bessel_debye.py), u_j, v_j the
constants of the Airy functions' asymptotic expansions.  With
zeta^(-3/2) = 2 / (s^3 G(u)) and zeta^(-1/2) = 2^(1/3) G(u)^(-1/3) / s, A_k and
B_k / 2^(1/3) are Laurent series in s with rational coefficients whose
negative and odd powers cancel (checked): power series in u, then in w.
All of it in exact rationals.  Printed:

  kAiryZ, kAiryPhi  Z(w) and Phi(w), w^0 .. w^(SERIES_TERMS-1), as (hi, lo);
  kAiryA1, kAiryB0  A_1 and B_0 / 2^(1/3) in w (doubles: their terms are below
                    2^-80 and 2^-50 of J's value from order 1e12 on);
  kAiryTable        Ai, Ai', Bi, Bi' at t0 = j/4, j = -64 .. 64, as (hi, lo)
                    each, from their Maclaurin series at 600 bits (checked
                    against mpmath's airyai and airybi).

Usage: python3 tools/bessel_airy.py > ddspecial/bessel_airy_impl.hpp
"""
from fractions import Fraction as F

from bessel_debye import lit, polys, words
from mpmath import airyai, airybi, cbrt, gamma, mp, mpf, sqrt

SERIES_TERMS = 7  # w^6 < 2^-128 for |w| <= 3.6e-7 (|t| <= 45 at order 1e12)
A1_TERMS = 2
B0_TERMS = 4
TABLE_HALF = 64  # t0 = j/4, |j| <= 64
U_DEGREE = 14  # series in u kept to u^U_DEGREE
MAXE = 2 * U_DEGREE  # Laurent series in s kept to s^MAXE


def mul(a, b):
    r = {}
    for i, x in a.items():
        for j, y in b.items():
            if i + j <= MAXE:
                r[i + j] = r.get(i + j, 0) + x * y
    return r


def power(f, r, n):
    """Coefficients of f^r to degree n for a power series f with f[0] = 1."""
    g = [F(1)] + [F(0)] * n
    for m in range(1, n + 1):
        g[m] = sum(((r + 1) * k - m) * f[k] * g[m - k] for k in range(1, min(m, len(f) - 1) + 1)) / m
    return g


def in_s(coefs, shift):
    """A series in u as a Laurent series in s (u = s^2), times s^shift."""
    return {2 * k + shift: c for k, c in enumerate(coefs) if 2 * k + shift <= MAXE}


def in_w(laurent, n):
    """An even power series in s (no negative powers) as a series in w, u = 2w - w^2."""
    assert all(c == 0 for e, c in laurent.items() if e < 0 or e % 2), "powers that should cancel"
    coefs = [laurent.get(2 * k, F(0)) for k in range(U_DEGREE + 1)]
    res, upow = [F(0)] * n, [F(1)] + [F(0)] * (n - 1)
    for c in coefs:
        res = [r + c * p for r, p in zip(res, upow)]
        upow = [2 * (upow[i - 1] if i >= 1 else 0) - (upow[i - 2] if i >= 2 else 0) for i in range(n)]
    return res


def expansion_series(n):
    g = [F(3, 2 * k + 3) for k in range(U_DEGREE + 1)]
    z = in_w(in_s(power(g, F(2, 3), U_DEGREE), 0), n)
    z = [z[i] - (z[i - 1] / 2 if i else 0) for i in range(n)]
    phi = in_w(in_s(power(g, F(1, 6), U_DEGREE), 0), n)
    zm32 = {e: 2 * c for e, c in in_s(power(g, F(-1), U_DEGREE), -3).items()}  # zeta^(-3/2)
    u_poly = polys(4)
    uc, vc = [F(1)], [F(1)]
    for k in range(1, 4):
        uc.append(uc[-1] * F((6 * k - 5) * (6 * k - 3) * (6 * k - 1), (2 * k - 1) * 216 * k))
        vc.append(-F(6 * k + 1, 6 * k - 1) * uc[k])

    def term(coef, j, m):  # coef zeta^(-3j/2) U_m(1/s)
        r = {0: coef}
        for _ in range(j):
            r = mul(r, zm32)
        return mul(r, {-e: c for e, c in u_poly[m].items()})

    a1 = {}
    for j in range(3):
        for e, c in term(F(3, 2) ** j * vc[j], j, 2 - j).items():
            a1[e] = a1.get(e, 0) + c
    b0 = {}
    for j in range(2):
        for e, c in term(F(3, 2) ** j * uc[j], j, 1 - j).items():
            b0[e] = b0.get(e, 0) + c
    b0 = mul({e: -c for e, c in in_s(power(g, F(-1, 3), U_DEGREE), -1).items()}, b0)
    return z, phi, in_w(a1, n), in_w(b0, n)


def airy_maclaurin(t):
    """Ai, Ai', Bi, Bi' at t from f and g, the solutions of y'' = t y with
    (f, f') = (1, 0) and (g, g') = (0, 1) at 0."""
    c1 = 1 / (cbrt(9) * gamma(mpf(2) / 3))
    c2 = 1 / (cbrt(3) * gamma(mpf(1) / 3))
    vals = []
    for a in ([mpf(1), mpf(0), mpf(0)], [mpf(0), mpf(1), mpf(0)]):
        s, d, n, tp = mpf(0), mpf(0), 0, mpf(1)
        while True:
            if n >= 3:
                a.append(a[n - 3] / ((n - 1) * n))
            s += a[n] * tp
            if n >= 1:
                d += n * a[n] * tp / t if t != 0 else (a[1] if n == 1 else 0)
            if n > 20 and all(abs(a[n - i] * tp) < mpf(2) ** -700 for i in range(3)):
                break
            tp *= t
            n += 1
        vals.append((s, d))
    (f, fd), (g, gd) = vals
    r3 = sqrt(3)
    return c1 * f - c2 * g, c1 * fd - c2 * gd, r3 * (c1 * f + c2 * g), r3 * (c1 * fd + c2 * gd)


def main():
    mp.prec = 600
    z, phi, a1, b0 = expansion_series(SERIES_TERMS)
    print("// Generated by tools/bessel_airy.py; do not edit.")
    print("#pragma once\n")
    print("namespace dd::detail::bessel {\n")
    print("/// Z(w) = zeta / (2^(1/3) w) and Phi(w) = phi / 2^(1/3) of the uniform expansion,")
    print("/// w^0 .. w^6, as (hi, lo).")
    for name, ser in (("kAiryZ", z), ("kAiryPhi", phi)):
        print(f"inline constexpr double {name}[{SERIES_TERMS}][2] = {{")
        for i, c in enumerate(ser):
            hi, lo = words(c, 2)
            print(f"    {{{lit(hi)}, {lit(lo)}}},  // w^{i}: {c}")
        print("};")
    print("/// A_1 and B_0 / 2^(1/3) in w.")
    for name, ser, n in (("kAiryA1", a1, A1_TERMS), ("kAiryB0", b0, B0_TERMS)):
        print(f"inline constexpr double {name}[{n}] = {{" + ", ".join(lit(float(c)) for c in ser[:n]) + "};")
    print("/// Ai, Ai', Bi, Bi' at t0 = j/4, j = -64 .. 64, each as (hi, lo).")
    print(f"inline constexpr int kAiryTableHalf = {TABLE_HALF};")
    print(f"inline constexpr double kAiryTable[{2 * TABLE_HALF + 1}][8] = {{")
    for j in range(-TABLE_HALF, TABLE_HALF + 1):
        t = mpf(j) / 4
        vals = airy_maclaurin(t)
        mp.prec = 300
        check = (airyai(t), airyai(t, 1), airybi(t), airybi(t, 1))
        for v, c in zip(vals, check):
            assert abs(v - c) <= mpf(2) ** -200 * abs(c), (j, v, c)
        mp.prec = 600
        ws = [lit(w) for v in vals for w in words(v, 2)]
        print("    {" + ", ".join(ws[:4]) + f",  // {j}/4")
        print("     " + ", ".join(ws[4:]) + "},")
    print("};")
    print("\n}  // namespace dd::detail::bessel")


if __name__ == "__main__":
    main()
