#include "ddio/eformat.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "ddio/digits.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddreal/rounding.hpp"

namespace dd {
namespace {

/// Extra room of the work string beyond the field width.
constexpr int kWorkExtra = 50;
/// Decimal digits per group and the group multiplier 10^15.
constexpr int kGroupDigits = 15;
constexpr double kGroupScale = 1e15;
/// Powers 10^n with |n| up to this leave every operand of the scaling inside
/// the range where split() is exact (|x| < 1.34e300); beyond it the value is
/// scaled by 2^-n and 5^n instead.
constexpr int kDirectPowerLimit = 300;
/// The normalisation takes one or two steps after a right exponent estimate;
/// with cycles detected, the limit is a guard that is never reached.
constexpr int kNormaliseLimit = 64;

/// Left-justified text for a value that is not finite, or nb asterisks.
void non_finite(const DDReal& a, int nb, char* b) {
  const double v = a.hi + a.lo;
  const char* t = std::isnan(v) ? "NaN" : (v < 0 ? "-Infinity" : "Infinity");
  const int len = static_cast<int>(std::char_traits<char>::length(t));
  for (int i = 0; i < nb; ++i) b[i] = len > nb ? '*' : (i < len ? t[i] : ' ');
}

/// m = |a| / 10^nexp for |nexp| > kDirectPowerLimit: 2^-nexp is applied to
/// both words exactly, then 5^|nexp| (below 1e227) divides or multiplies.
void scale_far(const DDReal& s, int nexp, DDReal& m) {
  const DDReal t(std::ldexp(s.hi, -nexp), std::ldexp(s.lo, -nexp));
  DDReal f;
  DDNPWR(DDReal(5.0, 0.0), nexp > 0 ? nexp : -nexp, f);
  if (nexp > 0) {
    DDDIV(t, f, m);
  } else {
    DDMUL(t, f, m);
  }
}

/// Brings the high part of m into [1, 10) by steps of 10, adjusting nexp.
/// A step sequence that comes back to a state it has seen never ends (the
/// value is just below a power of ten: m * 10 rounds its high part up to 10
/// and m * 10 / 10 returns to m).  It ends instead in the cycle's state with
/// high part 10 and a negative low part (leading digit 9, then nines), or,
/// when the cycle has none, in its state with high part below 1 (leading
/// digit 0, then nines).  A NaN high part ends at once.
void normalise(DDReal& m, int& nexp) {
  struct State {
    DDReal m;
    int nexp;
  };
  std::array<State, kNormaliseLimit> seen;
  std::size_t count = 0;
  for (int step = 0; step < kNormaliseLimit; ++step) {
    for (std::size_t k = 0; k < count; ++k) {
      if (seen[k].m.hi != m.hi || seen[k].m.lo != m.lo || seen[k].nexp != nexp) continue;
      std::size_t pick = count;
      for (std::size_t j = k; j < count; ++j) {
        if (seen[j].m.hi == 10.0 && seen[j].m.lo < 0.0) {
          pick = j;
          break;
        }
        if (seen[j].m.hi < 1.0 && pick == count) pick = j;
      }
      if (pick < count) {
        m = seen[pick].m;
        nexp = seen[pick].nexp;
      }
      return;
    }
    seen[count++] = State{m, nexp};
    if (m.hi < 1.0) {
      nexp = nexp - 1;
      DDMULD(m, 10.0, m);
    } else if (m.hi >= 10.0) {
      nexp = nexp + 1;
      DDDIVD(m, 10.0, m);
    } else {
      return;  // in range, or NaN
    }
  }
}

}  // namespace

void DDEFORMAT(const DDReal& a_in, int nb, int nd, char* b) {
  if (nd < 0) detail::fail(msg::kEformatImproperNd, {nd});
  if (static_cast<std::int64_t>(nb) < static_cast<std::int64_t>(nd) + 8) detail::fail(msg::kEformatSize);
  const DDReal a = std::isfinite(a_in.hi) && std::isfinite(a_in.lo) ? detail::renormalised(a_in) : a_in;
  if (!std::isfinite(a.hi) || !std::isfinite(a.lo)) {
    non_finite(a, nb, b);
    return;
  }
  const std::int64_t nb2 = static_cast<std::int64_t>(nb) + kWorkExtra;
  std::vector<char> b2(static_cast<std::size_t>(nb2) + 1, ' ');  // b2[1..nb2]

  // Sign and zero: the work goes on |a|.
  DDReal s = a;
  const bool neg = s.hi < 0.0;
  const bool zero = s.hi == 0.0;
  if (neg) DDNEG(s, s);

  int nexp = 0;
  if (!zero) {
    double t = std::log10(s.hi);
    if (t < 0.0) t = t - 1.0;
    nexp = static_cast<int>(t);
    if (nexp > kDirectPowerLimit || nexp < -kDirectPowerLimit) {
      scale_far(s, nexp, s);
    } else if (nexp > 0) {
      DDReal f;
      DDNPWR(DDReal(10.0, 0.0), nexp, f);
      DDDIV(s, f, s);
    } else if (nexp < 0) {
      DDReal f;
      DDNPWR(DDReal(10.0, 0.0), -nexp, f);
      DDMUL(s, f, s);
    }
    normalise(s, nexp);
  } else {
    s = DDReal(0.0, 0.0);
  }

  // Leading digit and the point.
  std::int64_t i = 0;
  if (neg) b2[++i] = '-';
  double dig = 0.0;
  if (!zero) {
    DDReal ip, fp;
    DDINFR(s, ip, fp);
    dig = ip.hi;
  }
  b2[++i] = detail::kDigits[static_cast<int>(std::fmod(std::fabs(dig), 10.0))];
  b2[++i] = '.';
  DDSUB(s, DDReal(dig, 0.0), s);
  DDMULD(s, kGroupScale, s);

  // Digit groups of 15.
  const int groups = nd / kGroupDigits + 1;
  for (int g = 0; g < groups; ++g) {
    double v = 0.0;
    if (s.hi != 0.0) {
      DDReal ip, fp;
      DDINFR(s, ip, fp);
      v = ip.hi;
    }
    const auto group = DDDIGOUT(v, kGroupDigits);
    for (int j = 0; j < kGroupDigits; ++j) {
      ++i;
      if (i > nb2) detail::fail(msg::kEformatSpace);
      b2[i] = group[j];
    }
    DDSUB(s, DDReal(v, 0.0), s);
    DDMULD(s, kGroupScale, s);
  }
  const std::int64_t last = i;
  const std::int64_t point = neg ? 3 : 2;

  // Carry: a unit at the last generated digit when the digit at nd + 1 is 5
  // or more.  A nonzero value with leading digit 0 is 0.999999999999999...
  // (at least 15 nines): it always takes the unit, which for nd <= 14 carries
  // into the leading digit.  For nd >= 3 the digit at nd + 1 is one of those
  // nines anyway; for nd <= 2 it is the point, the sign or the 0 itself, and
  // without the unit the field would show 0 for a value near 1.
  const char c = b2[nd + 1];
  if ((c >= '5' && c <= '9') || (!zero && dig == 0.0)) {
    std::int64_t j = last;
    for (; j > point; --j) {
      if (b2[j] == '9') {
        b2[j] = '0';
      } else {
        b2[j] = static_cast<char>(b2[j] + 1);
        break;
      }
    }
    if (j == point) {
      if (b2[point - 1] == '9') {
        b2[point - 1] = '1';
        nexp = nexp + 1;
      } else {
        b2[point - 1] = static_cast<char>(b2[point - 1] + 1);
      }
    }
  }

  // Exponent.
  i = nd + (neg ? 3 : 2);
  b2[i] = 'e';
  if (nexp < 0) b2[++i] = '-';
  const auto ex = DDDIGOUT(static_cast<double>(nexp < 0 ? -nexp : nexp), 10);
  int first = 9;
  for (int j = 0; j < 9; ++j) {
    if (ex[j] != '0') {
      first = j;
      break;
    }
  }
  for (int j = first; j < 10; ++j) b2[++i] = ex[j];

  for (std::int64_t j = i + 1; j <= nb; ++j) b2[j] = ' ';
  for (int j = 0; j < nb; ++j) b[j] = b2[j + 1];
}

}  // namespace dd
