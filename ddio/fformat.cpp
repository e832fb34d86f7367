#include "ddio/fformat.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "ddio/digits.hpp"
#include "ddio/eformat.hpp"
#include "ddreal/outfmt.hpp"

namespace dd {
namespace {

/// Size of the buffer that takes the exponent digits of the E text.
constexpr int kExponentBuffer = 16;
/// Keeps the E-text width (and DDEFORMAT's work string) inside int for nd near INT_MAX.
constexpr double kWidthLimit = 2147483000.0;

/// Right-justified text for a value that is not finite, or nb asterisks.
void non_finite(const DDReal& a, int nb, char* b) {
  const double v = a.hi + a.lo;
  const char* t = std::isnan(v) ? "NaN" : (v < 0 ? "-Infinity" : "Infinity");
  const int len = static_cast<int>(std::char_traits<char>::length(t));
  for (int i = 0; i < nb; ++i) b[i] = len > nb ? '*' : (i < nb - len ? ' ' : t[i - (nb - len)]);
}

}  // namespace

void DDFFORMAT(const DDReal& a_in, int nb, int nd, char* b) {
  if (nd < 0) detail::fail(msg::kFformatImproperNd, {nd});
  if (static_cast<std::int64_t>(nb) < static_cast<std::int64_t>(nd) + 8) detail::fail(msg::kFformatSize);
  const DDReal a = std::isfinite(a_in.hi) && std::isfinite(a_in.lo) ? detail::renormalised(a_in) : a_in;
  if (!std::isfinite(a.hi) || !std::isfinite(a.lo)) {
    non_finite(a, nb, b);
    return;
  }

  // Width of the E text: enough significant digits for every fixed-point digit.
  int nb2;
  if (a.hi == 0.0) {
    nb2 = nd + 11;
  } else {
    const double w = static_cast<double>(nd) + std::max(std::log10(std::fabs(a.hi)), 0.0) + 11.0;
    nb2 = static_cast<int>(std::min(w, kWidthLimit));
  }
  const int nb3 = nb2 - 8;
  std::vector<char> e(static_cast<std::size_t>(nb2) + 1, ' ');  // e[1..nb2]
  DDEFORMAT(a, nb2, nb3, e.data() + 1);

  // Parse the E text: last non-blank, first "e", exponent sign and digits.
  int last = nb2;
  while (last >= 1 && e[last] == ' ') --last;
  int k = 0;
  for (int j = 1; j <= last; ++j) {
    if (e[j] == 'e') {
      k = j;
      break;
    }
  }
  if (last == 0 || k == 0) detail::fail(msg::kFformatSyntax);
  const bool eneg = k < last && e[k + 1] == '-';
  const int from = eneg ? k + 2 : k + 1;
  char digits[kExponentBuffer];
  std::fill(digits, digits + kExponentBuffer, ' ');
  const int count = std::min(last - from + 1, kExponentBuffer);
  for (int j = 0; j < count; ++j) digits[j] = e[from + j];
  const double ex = DDDIGIN(digits, std::max(count, 0));
  const int ix = static_cast<int>(eneg ? -ex : ex);

  // The integer digits do not fit: asterisks.
  if (!eneg && static_cast<std::int64_t>(nd) + ix + 3 > nb) {
    std::fill(b, b + nb, '*');
    return;
  }

  // Compose: sign, then the digits of the E text around the point.
  std::string t;
  t.reserve(static_cast<std::size_t>(nb));
  int p = 1;  // position of D in the E text
  if (e[1] == '-') {
    t += '-';
    p = 2;
  }
  // F_i, i >= 1.  The E text holds every digit asked for here (two to spare);
  // the bound check is a guard, never taken.
  const auto f = [&](int i) { return p + 1 + i <= nb2 ? e[p + 1 + i] : '0'; };
  if (ix == 0) {
    for (int j = 0; j < nd + 2; ++j) t += e[p + j];
  } else if (ix > 0) {
    t += e[p];
    for (int j = 1; j <= ix; ++j) t += f(j);
    t += '.';
    for (int j = ix + 1; j <= ix + nd; ++j) t += f(j);
  } else {
    t += "0.";
    const int z = std::min(-ix - 1, nd);
    t.append(static_cast<std::size_t>(z), '0');
    if (-ix - 1 < nd) {
      t += e[p];
      for (int j = 1; j <= nd - z - 1; ++j) t += f(j);
    }
  }

  // Right-justify.
  const int m = static_cast<int>(t.size());
  std::fill(b, b + (nb - m), ' ');
  std::copy(t.begin(), t.end(), b + (nb - m));
}

}  // namespace dd
