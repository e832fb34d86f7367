// The multiword number of multiword_impl.hpp: limbs in integer arithmetic
// (64 x 64 -> 128-bit products), truncation after every operation, Newton's
// iteration for the quotient and the root, and atan / atanh of a ratio as a
// binary64 angle t0 plus the series of the small remainder.
#include "ddspecial/multiword_impl.hpp"

#include <algorithm>
#include <cmath>

#include "ddelem/ddelem_impl.hpp"

namespace dd::detail::multiword {

namespace {

__extension__ typedef unsigned __int128 u128;
using u64 = std::uint64_t;

bool is_zero(const Number& a) noexcept { return a.m[a.n - 1] == 0; }

Number zero(int n) noexcept {
  Number r;
  r.n = n;
  return r;
}

/// out[i] = the 64 bits of the l limbs v from bit low + 64 i on, i < count
/// (bits outside v are zero).
void windows(const u64* v, int l, int low, u64* out, int count) noexcept {
  const int q = low >= 0 ? low / 64 : -((63 - low) / 64);  // floor(low / 64)
  const int r = low - 64 * q;
  const auto limb = [&](int i) { return i >= 0 && i < l ? v[i] : u64{0}; };
  for (int i = 0; i < count; ++i) {
    const int j = q + i;
    if (j >= -1 && j < l) {
      out[i] = r == 0 ? limb(j) : (limb(j) >> r) | (limb(j + 1) << (64 - r));
    } else {
      out[i] = 0;
    }
  }
}

/// (-1)^neg 0.v 2^exp for the l limbs v, normalised and truncated to n <= l limbs.
Number pack(const u64* v, int l, int n, bool neg, int exp) noexcept {
  int h = l - 1;
  while (h >= 0 && v[h] == 0) --h;
  Number r = zero(n);
  if (h < 0) return r;
  const int s = 64 * (l - 1 - h) + __builtin_clzll(v[h]);
  windows(v, l, 64 * (l - n) - s, r.m, n);
  r.neg = neg;
  r.exp = exp - s;
  return r;
}

/// a's leading 53 bits as a double in [1/2, 1): |a| is about lead(a) 2^a.exp.
double lead(const Number& a) noexcept { return static_cast<double>(a.m[a.n - 1] >> 11) * 0x1p-53; }

/// a in k limbs: its leading k, or all of it followed by zero limbs.
Number resize(const Number& a, int k) noexcept {
  Number r = zero(k);
  r.neg = a.neg;
  r.exp = a.exp;
  for (int i = std::max(0, a.n - k); i < a.n; ++i) r.m[i + k - a.n] = a.m[i];
  return r;
}

/// A term t of a series whose sum needs 2^(-64n) absolute: t with only
/// the limbs above that.
Number term_limbs(const Number& t, int n) noexcept {
  return resize(t, std::max(1, n - std::max(0, -t.exp) / 64));
}

/// |a| >= |b|.
bool not_smaller(const Number& a, const Number& b) noexcept {
  if (is_zero(b)) return true;
  if (is_zero(a)) return false;
  if (a.exp != b.exp) return a.exp > b.exp;
  for (int k = 0; k < std::max(a.n, b.n); ++k) {
    const u64 x = k < a.n ? a.m[a.n - 1 - k] : 0, y = k < b.n ? b.m[b.n - 1 - k] : 0;
    if (x != y) return x > y;
  }
  return true;
}

/// |a| + |b| (subtract false) or |a| - |b| for |a| >= |b|, with a's sign.
Number add_magnitudes(const Number& a, const Number& b, bool subtract) noexcept {
  const int n = std::max(a.n, b.n);
  // Both in a frame of n + 2 limbs at a's exponent: a carry limb on top, a guard limb below.
  u64 x[kMaxLimbs + 2], y[kMaxLimbs + 2];
  const int d = std::min(a.exp - b.exp, 64 * n + 128);
  windows(a.m, a.n, 64 * (a.n - n - 1), x, n + 2);
  windows(b.m, b.n, 64 * (b.n - n - 1) + d, y, n + 2);
  x[n + 1] = y[n + 1] = 0;
  u64 c = 0;
  for (int i = 0; i <= n + 1; ++i) {
    if (subtract) {
      const u64 t = x[i] - y[i] - c;
      c = (x[i] < y[i] || (x[i] == y[i] && c != 0)) ? 1 : 0;
      x[i] = t;
    } else {
      const u128 t = static_cast<u128>(x[i]) + y[i] + c;
      x[i] = static_cast<u64>(t);
      c = static_cast<u64>(t >> 64);
    }
  }
  return pack(x, n + 2, n, a.neg, a.exp + 64);
}

}  // namespace

int limbs_for(int bits) noexcept { return std::clamp((bits + 63) / 64, 2, kMaxLimbs); }

Number from_double(double d, int n) noexcept {
  Number r = zero(n);
  if (d == 0.0) return r;
  int e = 0;
  const double f = std::frexp(std::fabs(d), &e);
  r.m[n - 1] = static_cast<u64>(std::ldexp(f, 64));  // exact: 53 bits
  r.neg = d < 0.0;
  r.exp = e;
  return r;
}

Number from_dd(const DDReal& a, int n) noexcept { return add(from_double(a.hi, n), from_double(a.lo, n)); }

Number two_over_pi(int n) noexcept {
  Number r = zero(n);
  for (int j = 0; j < n; ++j) r.m[n - 1 - j] = two_over_pi_word(j);
  return r;
}

Number add(const Number& a, const Number& b) noexcept {
  const int n = std::max(a.n, b.n);
  if (is_zero(b)) return resize(a, n);
  if (is_zero(a)) return resize(b, n);
  const bool big_a = not_smaller(a, b);
  return add_magnitudes(big_a ? a : b, big_a ? b : a, a.neg != b.neg);
}

Number sub(const Number& a, const Number& b) noexcept {
  Number nb = b;
  nb.neg = !b.neg;
  return add(a, nb);
}

Number mul(const Number& a, const Number& b) noexcept {
  const int n = std::max(a.n, b.n);
  if (is_zero(a) || is_zero(b)) return zero(n);
  u64 p[2 * kMaxLimbs] = {};
  for (int i = 0; i < a.n; ++i) {
    u64 carry = 0;
    for (int j = 0; j < b.n; ++j) {
      const u128 t = static_cast<u128>(a.m[i]) * b.m[j] + p[i + j] + carry;
      p[i + j] = static_cast<u64>(t);
      carry = static_cast<u64>(t >> 64);
    }
    p[i + b.n] = carry;
  }
  return pack(p, a.n + b.n, n, a.neg != b.neg, a.exp + b.exp);
}

Number mul_double(const Number& a, double d) noexcept {
  if (is_zero(a) || d == 0.0) return zero(a.n);
  int e = 0;
  const u64 f = static_cast<u64>(std::ldexp(std::frexp(std::fabs(d), &e), 64));
  u64 p[kMaxLimbs + 1];
  u64 carry = 0;
  for (int i = 0; i < a.n; ++i) {
    const u128 t = static_cast<u128>(a.m[i]) * f + carry;
    p[i] = static_cast<u64>(t);
    carry = static_cast<u64>(t >> 64);
  }
  p[a.n] = carry;
  return pack(p, a.n + 1, a.n, a.neg != (d < 0.0), a.exp + e);
}

Number div_int(const Number& a, u64 d) noexcept {
  // 0.a / d = 0.q over n + 1 limbs, q = floor(a 2^64 / d), by half limbs:
  // the estimate from the reciprocal inv falls short by at most 2.
  u64 q[kMaxLimbs + 1];
  const u64 inv = ~u64{0} / d;
  u64 rem = 0;
  const auto digit = [&](u64 half) {
    const u64 cur = (rem << 32) | half;  // below d 2^32
    u64 qd = static_cast<u64>((static_cast<u128>(cur) * inv) >> 64);
    rem = cur - qd * d;
    for (; rem >= d; rem -= d) ++qd;
    return qd;
  };
  for (int i = a.n - 1; i >= 0; --i) {
    const u64 hi = digit(a.m[i] >> 32);
    q[i + 1] = (hi << 32) | digit(a.m[i] & 0xFFFFFFFFu);
  }
  const u64 hi = digit(0);
  q[0] = (hi << 32) | digit(0);
  return pack(q, a.n + 1, a.n, a.neg, a.exp);
}

Number div(const Number& a, const Number& b) noexcept {
  const int n = std::max(a.n, b.n);
  if (is_zero(a)) return zero(n);
  // 1/b by y <- y + y (1 - b y) from binary64's 52 bits, doubling them
  // (and the limbs taken) each step.
  Number y = from_double(1.0 / lead(b), 2);
  y.exp -= b.exp;
  y.neg = b.neg;
  for (int bits = 50; bits < 64 * n + 8; bits *= 2) {
    const int m = std::min(n, limbs_for(2 * bits + 64));
    const Number bm = resize(b, m), ym = resize(y, m);
    y = add(ym, mul(ym, sub(from_double(1.0, m), mul(bm, ym))));
  }
  const Number q = mul(a, y);
  return add(q, mul(y, sub(a, mul(b, q))));
}

Number sqrt(const Number& a) noexcept {
  const int n = a.n;
  if (is_zero(a)) return zero(n);
  // 1/sqrt(a) by y <- y + y (1 - a y^2) / 2 as in div, then r = a y
  // corrected once by y (a - r^2) / 2.
  double f = lead(a);
  int e = a.exp;
  if (e % 2 != 0) {
    f *= 2.0;
    e -= 1;
  }
  Number y = from_double(1.0 / std::sqrt(f), 2);
  y.exp -= e / 2;
  const auto add_half = [](const Number& v, Number c) {
    c.exp -= 1;
    return add(v, c);
  };
  for (int bits = 50; bits < 64 * n + 8; bits *= 2) {
    const int m = std::min(n, limbs_for(2 * bits + 64));
    const Number am = resize(a, m), ym = resize(y, m);
    y = add_half(ym, mul(ym, sub(from_double(1.0, m), mul(am, mul(ym, ym)))));
  }
  const Number r = mul(a, y);
  return add_half(r, mul(y, sub(a, mul(r, r))));
}

Number arc_ratio(const Number& y, const Number& x, bool hyperbolic) noexcept {
  const int n = std::max(y.n, x.n);
  if (is_zero(y)) return zero(n);
  const double ratio = std::ldexp(lead(y) / lead(x), y.exp - x.exp);
  const double t0 = hyperbolic ? std::atanh(ratio) : std::atan(ratio);
  // cos t0 and sin t0 (cosh, sinh): Taylor's series at t = t0 2^-h <= 2^-8,
  // each term to 2^(-64n) absolute, then h doublings (about a bit lost each).
  const int h = t0 > 0x1p-8 ? std::ilogb(t0) + 9 : 0;
  const double t = std::ldexp(t0, -h);
  const Number one = from_double(1.0, n);
  Number c = one, s = zero(n), term = one;
  for (int k = 1;; ++k) {
    term = term_limbs(div_int(mul_double(term, t), static_cast<u64>(k)), n);
    if (is_zero(term) || term.exp < -64 * n - 4) break;
    Number& acc = k % 2 == 0 ? c : s;
    acc = !hyperbolic && k % 4 >= 2 ? sub(acc, term) : add(acc, term);
  }
  for (int i = 0; i < h; ++i) {
    Number s2 = mul(s, s);  // cos 2t = 1 - 2 sin^2 t, cosh 2t = 1 + 2 sinh^2 t
    s2.exp += 1;
    s = mul(s, c);  // sin 2t = 2 sin t cos t
    s.exp += 1;
    c = hyperbolic ? add(one, s2) : sub(one, s2);
  }
  // atan(y/x) = t0 + atan(u), u = (y cos t0 - x sin t0) / (x cos t0 + y sin t0);
  // atanh(y/x) = t0 + atanh(u), u = (y cosh t0 - x sinh t0) / (x cosh t0 - y sinh t0).
  const Number yc = mul(y, c), xs = mul(x, s), xc = mul(x, c), ys = mul(y, s);
  const Number u = div(sub(yc, xs), hyperbolic ? sub(xc, ys) : add(xc, ys));
  // u -+ u^3/3 + u^5/5 -+ ..., |u| about 2^-50.
  const Number u2 = mul(u, u);
  Number sum = u, p = u;
  for (int k = 1;; ++k) {
    p = term_limbs(mul(p, resize(u2, p.n)), n);
    if (is_zero(p) || p.exp < -64 * n - 4) break;
    const Number t = div_int(p, static_cast<u64>(2 * k + 1));
    sum = hyperbolic || k % 2 == 0 ? add(sum, t) : sub(sum, t);
  }
  return add(from_double(t0, n), sum);
}

Number modulo4(const Number& a) noexcept {
  const int n = a.n;
  // Bit i of the limbs weighs 2^(exp - 64n + i): clear those from 2^2 up.
  const int first = 64 * n - a.exp + 2;
  if (first <= 0) return zero(n);
  u64 v[kMaxLimbs];
  for (int i = 0; i < n; ++i) {
    const int lo = 64 * i;
    v[i] = lo >= first ? 0 : (first - lo >= 64 ? a.m[i] : a.m[i] & ((u64{1} << (first - lo)) - 1));
  }
  const Number r = pack(v, n, n, false, a.exp);
  return a.neg && !is_zero(r) ? sub(from_double(4.0, n), r) : r;
}

void words(const Number& a, double (&w)[3]) noexcept {
  for (int k = 0; k < 3; ++k) {
    u64 bits;
    windows(a.m, a.n, 64 * a.n - 53 * (k + 1), &bits, 1);
    bits &= (u64{1} << 53) - 1;
    const double v = std::ldexp(static_cast<double>(bits), a.exp - 53 * (k + 1));
    w[k] = a.neg ? -v : v;
  }
}

}  // namespace dd::detail::multiword
