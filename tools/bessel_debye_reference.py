#!/usr/bin/env python3
"""Reference values of J and Y of large order for tests/special2/bessel_test.cpp
(debye_table), printed as the rows of its table.

Three independent ways, all in mpmath:
  T  J_n(x) = (1/N) sum_{k<N} cos(n t_k - x sin t_k), t_k = 2 pi k / N,
     N > n + x + 50 x^(1/3) + 100 (exact but for the aliased J_(N-n)(x)), 45 digits;
  D  Debye's expansions at 60 digits (plus those of x beyond 1e14, as the
     phase is as large as x: 345 digits, 1146 bits, at 1e299) with mpmath's
     own sqrt, atan, log, summed until a term falls below 1e-55; the phase
     w - nu atan(w/nu) - pi/4 is formed directly at that precision, so it
     checks the library's multiword phase (and its far series below x/8)
     independently;
  B  the three-term recurrence at 60 digits across the turning point, from D
     at 40 n^(1/3) beyond it.
  A  (near the turning point, orders from 1e15) Olver's uniform expansion in
     Airy functions with A_0, A_1, A_2, B_0, B_1 from their closed forms
     (zeta from its logarithm, not a series in 1 - x/nu) at enough digits
     to absorb their cancellation, and mpmath's airyai and airybi at 60
     digits: independent of the library's series in w (which stop at A_1
     and B_0), its table of Airy values and its asymptotic sums.
  M  (moderate orders) mpmath's own besselj and bessely at 60 digits.
  Q  (K only) K_nu(x) = int_0^inf e^(-x cosh t) cosh(nu t) dt by mpmath's quad
     at 60 digits, split around the saddle t0 = asinh(nu/x) in steps of its
     width sq^(-1/2), sq = sqrt(nu^2 + x^2); the exponent -x cosh t + nu t
     at 60 digits is right to 1e-28 absolute for orders up to 1e32.
Negative orders: J_-a = cos(a pi) J_a - sin(a pi) Y_a, Y_-a = cos(a pi) Y_a + sin(a pi) J_a.

Usage: python3 tools/bessel_debye_reference.py   (about a minute)
"""
from bessel_debye import polys
from mpmath import (acos, airyai, airybi, asinh, atan, besselj, bessely, cbrt, ceil, cos, cosh, cospi, exp, log, log10, mp,
                    mpf, nstr, pi, quad, sin, sinpi, sqrt)


mp.dps = 60
U = [{p: mpf(c.numerator) / c.denominator for p, c in uk.items()} for uk in polys(60)]
EXACT_U = polys(6)


def trapezoid(n, x):
    mp.dps = 45
    big_n = int(n + x + 50 * cbrt(x) + 100)
    big_n += big_n % 2
    s = 1 + cos(n * pi)
    for k in range(1, big_n // 2):
        t = 2 * pi * k / big_n
        s += 2 * cos(n * t - x * sin(t))
    return s / big_n


def debye(nu, x, want_y):
    mp.dps = 60 + max(0, int(log10(x)) - 14)
    if nu > x:
        sq = sqrt(nu * nu - x * x)
        t = nu / sq
        e = nu * log((nu + sq) / x) - sq
        terms = []
        for k, u in enumerate(U):
            terms.append(sum(c * t ** p for p, c in u.items()) / nu ** k)
            if abs(terms[-1]) < mpf(10) ** -55:
                break
        assert abs(terms[-1]) < mpf(10) ** -40
        if want_y:
            return -exp(e) * sqrt(2 / (pi * sq)) * sum((-1) ** k * tk for k, tk in enumerate(terms))
        return exp(-e) / sqrt(2 * pi * sq) * sum(terms)
    w = sqrt(x * x - nu * nu)
    p = nu / w
    xi = w - nu * atan(w / nu) - pi / 4
    sums = [mpf(0), mpf(0)]
    for k, u in enumerate(U):
        v = sum(c * (-1) ** ((q - k) // 2) * p ** q for q, c in u.items()) / nu ** k
        sums[k % 2] += (-1) ** (k // 2) * v
        if abs(v) < mpf(10) ** -55:
            break
    assert abs(v) < mpf(10) ** -40
    a = sqrt(2 / (pi * w))
    if want_y:
        return a * (sums[0] * sin(xi) - sums[1] * cos(xi))
    return a * (sums[0] * cos(xi) + sums[1] * sin(xi))


def band(nu, x, want_y):
    d = 40 * cbrt(nu)
    if not want_y:
        m = max(int(ceil(x + d - nu)), 1)
        f, g = debye(nu + m, x, False), debye(nu + m + 1, x, False)
        for k in range(m, 0, -1):
            f, g = 2 * (nu + k) / x * f - g, f
        return f
    m = max(int(ceil(nu - (x - d))), 1)
    g, f = debye(nu - m, x, True), debye(nu - m + 1, x, True)
    for k in range(m - 1, 0, -1):
        f, g = 2 * (nu - k) / x * f - g, f
    return f


def airy_expansion(nu, x, want_y):
    """J or Y by the uniform expansion in Airy functions (x near nu)."""
    d = x - nu  # exact: x and nu as given
    if d == 0:  # zeta = 0: the closed forms' limit, from an x 1e-50 below
        d = -mpf(10) ** -50
    lost = int(-log10(abs(d / nu))) + 1
    mp.dps = 70 + 7 * lost
    x = nu + d
    z = x / nu
    if z < 1:
        s = sqrt(1 - z * z)
        zeta = (mpf(3) / 2 * (log((1 + s) / z) - s)) ** (mpf(2) / 3)
        p = 1 / s
    else:
        s = sqrt(z * z - 1)
        zeta = -(mpf(3) / 2 * (s - acos(1 / z))) ** (mpf(2) / 3)
        p = 1 / s  # u_k(p) with p = i / s: (u_k(i/s)) below
    uc, vc = [mpf(1)], [mpf(1)]
    for k in range(1, 6):
        uc.append(uc[-1] * (6 * k - 5) * (6 * k - 3) * (6 * k - 1) / ((2 * k - 1) * 216 * k))
        vc.append(-mpf(6 * k + 1) / (6 * k - 1) * uc[k])

    def upoly(k):  # u_k((1 - z^2)^(-1/2)) (coefficients at the working precision: they cancel)
        sign = 1 if z < 1 else -1
        return sum(mpf(c.numerator) / c.denominator * sign ** ((q - k) // 2) * p ** q for q, c in EXACT_U[k].items())

    # zeta^(-3/2) is real above x = nu; below, (1 - z^2)^(-1/2) = -i p and
    # zeta^(-3/2) = i |zeta|^(-3/2): the powers of i cancel in each product.
    az = abs(zeta)
    a = [sum((mpf(3) / 2) ** j * vc[j] * az ** (-3 * mpf(j) / 2) * upoly(2 * k - j) for j in range(2 * k + 1))
         for k in range(3)]
    b = [-(1 / sqrt(az)) * sum((mpf(3) / 2) ** j * uc[j] * az ** (-3 * mpf(j) / 2) * upoly(2 * k - j + 1)
                               for j in range(2 * k + 2)) for k in range(2)]
    if z > 1:
        # u_k(-ip) = (-i)^k v_k(p) and zeta^(-3j/2) = i^j |zeta|^(-3j/2): the sign of
        # each term is (-i)^(2k-j) i^j = (-1)^k (-1)^j... with the real parts taken.
        a = [sum((mpf(3) / 2) ** j * vc[j] * az ** (-3 * mpf(j) / 2) * upoly(2 * k - j) * (-1) ** (k + j)
                 for j in range(2 * k + 1)) for k in range(3)]
        b = [(1 / sqrt(az)) * sum((mpf(3) / 2) ** j * uc[j] * az ** (-3 * mpf(j) / 2) * upoly(2 * k - j + 1)
                                  * (-1) ** (k + j) for j in range(2 * k + 2)) for k in range(2)]
    phi = (4 * zeta / (1 - z * z)) ** (mpf(1) / 4)
    t = nu ** (mpf(2) / 3) * zeta
    sa = sum(ak / nu ** (2 * k) for k, ak in enumerate(a))
    sb = sum(bk / nu ** (2 * k) for k, bk in enumerate(b))
    mp.dps = 60
    f, fp = (airybi(t), airybi(t, 1)) if want_y else (airyai(t), airyai(t, 1))
    v = phi * (f / cbrt(nu) * sa + fp / nu ** (mpf(5) / 3) * sb)
    return -v if want_y else v


def k_quad(nu, x):
    t0 = asinh(nu / x)
    peak = -x * cosh(t0) + nu * t0
    w = 1 / sqrt(sqrt(nu * nu + x * x))
    pts = sorted(set(max(mpf(0), t0 + k * w) for k in (-60, -20, -6, -2, 0, 2, 6, 20, 60)))
    return quad(lambda t: exp(-x * cosh(t) + nu * t - peak) * (1 + exp(-2 * nu * t)) / 2, pts) * exp(peak)


def value(kind, nu, x, how):
    mp.dps = 60
    if kind == 'K':
        return k_quad(abs(nu), x)
    if how == 'M':
        return (besselj if kind == 'J' else bessely)(nu, x)
    if nu < 0:
        a = -nu
        j, y = value('J', a, x, how), value('Y', a, x, how)
        mp.dps = 60
        c, s = cospi(a), sinpi(a)  # exact at half-integers and integers
        return c * j - s * y if kind == 'J' else c * y + s * j
    if how == 'T':
        return trapezoid(int(nu), x)
    if how == 'A':
        return airy_expansion(nu, x, kind == 'Y')
    return (debye if how == 'D' else band)(nu, x, kind == 'Y')


# kind, order (as written in the test: a binary64), x, method, relative (the
# monotone side), and x's low word where x is a double-double
ROWS = [
    ('J', '1874', '1.2e5', 'T', False),  # the first order past Hankel's expansion
    ('J', '2000', '1.2e5', 'T', False),
    ('J', '30000.5', '1.2e5', 'D', False),
    ('Y', '119000', '1.2e5', 'D', False),
    ('J', '119700', '1.2e5', 'B', False),
    ('Y', '119700.25', '1.2e5', 'B', False),
    ('J', '120300.5', '1.2e5', 'B', True),
    ('Y', '120300', '1.2e5', 'B', True),
    ('J', '121000', '1.2e5', 'D', True),
    ('Y', '121000.5', '1.2e5', 'D', True),
    ('J', '-110000.3', '1.2e5', 'D', False),
    ('Y', '-110000.3', '1.2e5', 'D', False),
    ('J', '-20000.3', '2e6', 'D', False),
    ('J', '100001', '99000', 'D', True),
    ('J', '100000', '100001', 'B', False),
    ('Y', '100001', '100001', 'B', False),
    ('J', '5e7', '1e8', 'D', False),
    ('Y', '1e8', '1e8', 'B', False),
    ('J', '100010000', '1e8', 'D', True),
    ('J', '1e10', '1e10', 'B', False),
    ('J', '1e12', '1e12', 'B', False),
    ('Y', '9e11', '1e12', 'D', False),
    ('J', '1000000000', '1e15', 'D', False),  # beyond 2^48: the phase from nu/x
    ('Y', '120000000000000.25', '1e15', 'D', False),
    ('J', '1000000000000.5', '1e18', 'D', False),
    ('J', '1e17', '1e18', 'D', False),
    ('J', '1e20', '1e30', 'D', False),
    ('Y', '1.5e23', '1e30', 'D', False),
    ('J', '2147483647', '1e20', 'D', False),  # Hankel's expansion, (nu/2) pi from nu modulo 4
    ('J', '1000000000.5', '1e18', 'D', False),
    ('J', '1e40', '1e80', 'D', False),  # an order beyond 2^105
    ('Y', '3', '6.5e299', 'D', False),  # pi x beyond the kernels' range
    ('J', '1e155', '6e299', 'D', False),
    ('K', '100001', '66275', 'Q', True),  # x near 0.6627 nu, where nu eta is near 0
    ('K', '200000', '132549', 'Q', True),
    ('K', '200000', '132189', 'Q', True),  # the band's edges
    ('K', '200000', '132909', 'Q', True),
    ('K', '1e9', '662743419', 'Q', True),
    ('K', '1e9', '662743059', 'Q', True),
    ('K', '1e9', '662743779', 'Q', True),
    ('K', '1e12', '662743419349', 'Q', True),
    ('K', '-1e12', '662743418989', 'Q', True),
    ('K', '1e12', '662743419709', 'Q', True),
    # Beyond x = 2^48 and the far series (orders above x/8 or 2^28 sqrt(x)):
    # the phase in a multiword number.
    ('J', '200000000000000', '1e15', 'D', False),
    ('J', '500000000000000.5', '1e15', 'D', False),
    ('J', '-500000000000000.5', '1e15', 'D', False),
    ('Y', '900000000000000', '1e15', 'D', False),
    ('J', '5e18', '1e20', 'D', False),
    ('J', '5e19', '1e20', 'D', False),
    ('Y', '9e19', '1e20', 'D', False),
    ('J', '1e70', '1e100', 'D', False),
    ('J', '5e99', '1e100', 'D', False),
    ('Y', '9e99', '1e100', 'D', False),
    ('J', '1e200', '1e299', 'D', False),
    ('J', '5e298', '1e299', 'D', False),
    ('Y', '9e298', '1e299', 'D', False),
    ('Y', '1.8143924065175284e82', '1.8143924065175284e82', 'D', True, '1e40'),  # x - nu in x's low word; w << x
    # K's band beyond order 2^64 (x in double-double: a unit of x.hi moves nu eta by about 1.8e4 at 1e20).
    ('K', '1e20', '6.627434193491816e19', 'Q', True, '1959.4742097109254'),
    ('K', '1e20', '6.627434193491816e19', 'Q', True, '1559.4742097109254'),
    ('K', '1e30', '6.627434193491816e29', 'Q', True, '8660160318731.799'),
    ('K', '1e30', '6.627434193491816e29', 'Q', True, '8660160319231.799'),
    # Negative orders at half-integers beyond x: Y_-a = sin(a pi) J_a, not cos(a pi) Y_a's rounding.
    ('Y', '-22.5', '6.1387000509278362', 'M', True),
    ('Y', '-300.5', '100', 'M', True),
    ('Y', '-99999.5', '99000', 'D', True),
    ('Y', '-100001.5', '99000', 'D', True),
]

# Near the turning point at huge orders: kind, order's words (hi, lo), x = hi
# + k nu^(1/3) rounded to an integer (or, beyond 1e20, to 4 digits), as
# words; by the Airy expansion (A) or, beside the band, Debye's (D).
AIRY_ROWS = [
    ('J', 1e15, 0.0, 0), ('Y', 1e15, 0.0, 0), ('J', 1e15, 0.5, 5), ('Y', 1e15, 0.5, -5), ('J', 1e15, 0.0, -20),
    ('Y', 1e15, 0.0, 20),
    ('J', 1e20, 0.0, 0), ('Y', 1e20, 0.5, 5), ('J', 1e20, 0.5, -5), ('J', 1e20, 0.0, 20), ('Y', 1e20, 0.0, -20),
    ('J', 1e100, 0.0, 5), ('Y', 1e100, 0.0, 0), ('J', 1e100, 0.0, -20),
    ('J', 1e299, 0.0, 0), ('Y', 1e299, 0.0, -5), ('J', 1e299, 0.0, 20), ('Y', 1e299, 0.0, 20),
    ('J', 1e299, 0.0, -19.4, 'D'), ('Y', 1e200, 0.0, -43.1, 'D'),  # nu^2 beyond the range
    ('J', 1.6e238, 0.0, -13.7),  # the band's step count from both words
]

for kind, nu, x, how, rel, *low in ROWS:
    mp.dps = 400  # x + its low word exactly
    v = value(kind, mpf(float(nu)), mpf(float(x)) + (mpf(float(low[0])) if low else 0), how)
    tail = f', {low[0]}' if low else ''
    print(f'      {{\'{kind}\', {nu}, {x}, "{nstr(v, 40, min_fixed=1, max_fixed=0)}", {"true" if rel else "false"}{tail}}},')
for kind, hi, lo, k, *how in AIRY_ROWS:
    mp.dps = 400
    off = k * cbrt(mpf(hi))
    off = mpf(int(off)) if hi <= 1e20 else mpf(float(nstr(off, 4)))
    xe, ne = mpf(hi) + off, mpf(hi) + mpf(lo)
    xh, nh = float(xe), float(ne)
    xl, nl = float(xe - xh), float(ne - nh)
    v = value(kind, ne, xe, how[0] if how else 'A')  # none lies near a zero: relative

    def short(d):
        text = next(t for t in ('%.*g' % (n, d) for n in range(1, 18)) if float(t) == d)
        return text.replace('e+', 'e')

    low = f', {short(xl)}, {short(nl)}' if nl else (f', {short(xl)}' if xl else '')
    print(f'      {{\'{kind}\', {short(nh)}, {short(xh)}, "{nstr(v, 40, min_fixed=1, max_fixed=0)}", true{low}}},')
