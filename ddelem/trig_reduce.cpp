// Exact reduction of an argument modulo pi/2, and the cosine and sine of an
// argument to full relative accuracy.
//
// The reduction multiplies each word of the argument by the bits of 2/pi in
// integer arithmetic (the Payne-Hanek method: M. Payne and R. Hanek, "Radian
// reduction for trigonometric functions", SIGNUM Newsletter 18 (1983); the
// windowed form follows J.-M. Muller, "Elementary Functions", 3rd ed., 11.4).
// Only the bits of 2/pi that can reach the fraction of a word times 2/pi
// modulo 4 are used, so the cost does not grow with the argument, and the
// fraction is exact up to one unit of its last bit: 2^-318 in the first
// pass, 2^-1278 in a second pass taken when the reduced argument has fewer
// than 112 significant bits above that.
#include <cmath>
#include <cstdint>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"

namespace dd::detail {

namespace {

__extension__ typedef unsigned __int128 u128;
using u64 = std::uint64_t;

/// The bits of 2/pi after the binary point: word j holds bits 64j+1 ..
/// 64j+64, most significant first.  From tools/two_over_pi.py.
constexpr int kTableWords = 40;
constexpr u64 kTwoOverPi[kTableWords] = {
    0xA2F9836E4E441529, 0xFC2757D1F534DDC0, 0xDB6295993C439041, 0xFE5163ABDEBBC561,
    0xB7246E3A424DD2E0, 0x06492EEA09D1921C, 0xFE1DEB1CB129A73E, 0xE88235F52EBB4484,
    0xE99C7026B45F7E41, 0x3991D639835339F4, 0x9C845F8BBDF9283B, 0x1FF897FFDE05980F,
    0xEF2F118B5A0A6D1F, 0x6D367ECF27CB09B7, 0x4F463F669E5FEA2D, 0x7527BAC7EBE5F17B,
    0x3D0739F78A5292EA, 0x6BFB5FB11F8D5D08, 0x56033046FC7B6BAB, 0xF0CFBC209AF4361D,
    0xA9E391615EE61B08, 0x6599855F14A06840, 0x8DFFD8804D732731, 0x06061556CA73A8C9,
    0x60E27BC08C6B47C4, 0x19C367CDDCE8092A, 0x8359C4768B961CA6, 0xDDAF44D15719053E,
    0xA5FF07053F7E33E8, 0x32C2DE4F98327DBB, 0xC33D26EF6B1E5EF8, 0x9F3A1F35CAF27F1D,
    0x87F121907C7C246A, 0xFA6ED5772D30433B, 0x15C614B59D19C3C2, 0xC4AD414D2C5D000C,
    0x467D862D71E39AC6, 0x9B0062337CD2B497, 0xA7B4D55537F63ED7, 0x1810A3FC764D2A9D,
};

/// pi/2 as a DDReal.
constexpr DDReal kHalfPiDD{1.5707963267948966, 6.123233995736766e-17};

/// Limbs of the fixed-point fraction: two integer bits and 64 K - 2 fraction
/// bits, least significant limb first.
constexpr int kShortLimbs = 5;
constexpr int kLongLimbs = 20;
/// The reduced argument must keep this many bits above the fraction's last
/// one (whose error is at most a few units) for 2^-106 relative accuracy.
constexpr int kNeededBits = 112;

u64 table_word(int j) { return j >= 0 && j < kTableWords ? kTwoOverPi[j] : 0; }

/// The 64 bits of 2/pi with indices s .. s + 63 as an integer (bit s the
/// most significant); indices below 1 (before the binary point) are zero.
u64 two_over_pi_bits(int s) {
  if (s <= -63) return 0;
  if (s < 1) return kTwoOverPi[0] >> (1 - s);
  const int j = (s - 1) / 64, o = (s - 1) % 64;
  u64 w = table_word(j) << o;
  if (o != 0) w |= table_word(j + 1) >> (64 - o);
  return w;
}

/// y = (x 2/pi mod 4) 2^(64k - 2) for a finite binary64 x, to within two
/// units: the window W of 2/pi's bits from index e - 1 (with x = m 2^e) on
/// holds every bit whose product with m is not a multiple of 4, and one
/// guard limb beyond the fraction's last.
void fraction_of_word(double x, int k, u64* y) {
  for (int i = 0; i < k; ++i) y[i] = 0;
  if (x == 0.0) return;
  int ex = 0;
  const double mant = std::frexp(std::fabs(x), &ex);
  const u64 m = static_cast<u64>(std::ldexp(mant, 53));  // exact: x = m 2^(ex - 53)
  const int e = ex - 53;
  const int p = 64 * k - 2;
  const int b = e + p + 64;         // index of the window's last bit
  const int s = b - 64 * (k + 1) + 1;  // index of its first bit
  u64 w[kLongLimbs + 1];
  for (int j = 0; j <= k; ++j) w[k - j] = two_over_pi_bits(s + 64 * j);
  // m W, keeping limbs 1 .. k (a division by 2^64, then modulo 2^(64k)).
  u64 carry = 0;
  for (int i = 0; i <= k; ++i) {
    const u128 t = static_cast<u128>(m) * w[i] + carry;
    if (i >= 1) y[i - 1] = static_cast<u64>(t);
    carry = static_cast<u64>(t >> 64);
  }
  if (x < 0.0) {  // -y modulo 2^(64k)
    u64 c = 1;
    for (int i = 0; i < k; ++i) {
      const u64 v = ~y[i] + c;
      c = (c != 0 && v == 0) ? 1 : 0;
      y[i] = v;
    }
  }
}

/// Adds z to y modulo 2^(64k).
void add_limbs(u64* y, const u64* z, int k) {
  u64 c = 0;
  for (int i = 0; i < k; ++i) {
    const u64 s = y[i] + z[i];
    const u64 c1 = s < y[i] ? 1 : 0;
    const u64 t = s + c;
    const u64 c2 = t < s ? 1 : 0;
    y[i] = t;
    c = c1 | c2;
  }
}

/// The quadrant and the reduced argument with k limbs; returns the number
/// of significant bits of the fraction (0 when it is exactly zero).
int reduce_with(const DDReal& a, int k, int& q, DDReal& r) {
  u64 y[kLongLimbs], z[kLongLimbs];
  fraction_of_word(a.hi, k, y);
  fraction_of_word(a.lo, k, z);
  add_limbs(y, z, k);
  // Round to the nearest quadrant: add one half, take the two integer bits,
  // and keep the fraction f = (y + 1/2 mod 1) - 1/2 in [-1/2, 1/2).
  const int p = 64 * k - 2;
  u64 half[kLongLimbs] = {};
  half[k - 1] = u64{1} << 61;
  add_limbs(y, half, k);
  q = static_cast<int>(y[k - 1] >> 62);
  y[k - 1] &= (u64{1} << 62) - 1;
  const bool negative = (y[k - 1] >> 61) == 0;  // below one half
  if (negative) {
    // 1/2 - y, the magnitude of the negative fraction.
    u64 c = 0;
    for (int i = 0; i < k; ++i) {
      const u64 hv = half[i];
      const u64 d = hv - y[i] - c;
      c = (hv < y[i] || (hv == y[i] && c != 0)) ? 1 : 0;
      y[i] = d;
    }
  } else {
    y[k - 1] -= u64{1} << 61;
  }
  int h = k - 1;
  while (h >= 0 && y[h] == 0) --h;
  if (h < 0) {
    r = DDReal(0.0, 0.0);
    return 0;
  }
  const auto limb = [&](int i) { return i >= 0 ? y[i] : u64{0}; };
  const int lz = __builtin_clzll(y[h]);
  const u64 u = lz == 0 ? y[h] : (y[h] << lz) | (limb(h - 1) >> (64 - lz));
  const u64 v = lz == 0 ? limb(h - 1) : (limb(h - 1) << lz) | (limb(h - 2) >> (64 - lz));
  // |f| = (u 2^64 + v) 2^(64(h-1) - lz - p), u with its top bit set; the
  // leading 53 bits and the next 75 (rounded once) as a normalised pair.
  const double top = static_cast<double>(u >> 11) * 0x1p75;
  const double rest = static_cast<double>(u & 0x7FF) * 0x1p64 + static_cast<double>(v >> 11) * 0x1p11;
  DDReal f;
  quick_two_sum(top, rest, f.hi, f.lo);
  const int scale = 64 * (h - 1) - lz - p;
  f = DDReal(std::ldexp(f.hi, scale), std::ldexp(f.lo, scale));
  if (negative) f = DDReal(-f.hi, -f.lo);
  DDMUL(f, kHalfPiDD, r);
  return 64 * h + 64 - lz;
}

}  // namespace

std::uint64_t two_over_pi_word(int j) { return table_word(j); }

int reduce_half_pi(const DDReal& a, DDReal& r) {
  int q = 0;
  const int bits = reduce_with(a, kShortLimbs, q, r);
  if (bits != 0 && bits < kNeededBits) reduce_with(a, kLongLimbs, q, r);
  return q;
}

}  // namespace dd::detail
