// E- and F-format output on arbitrary values.  An input is 16 bytes of a
// DDReal (hi, lo: any bit patterns, unnormalised pairs, NaNs and infinities
// included), then a field width nb, a digit count nd and stream flags taken
// from the following bytes and bounded to sensible sizes.  Each routine may
// fill its field completely or stop with one of the package's messages; the
// stream operator must write without stopping.  to_chars must fill the
// buffer it is given or report that it is too small, and the shortest text
// of the pair must read back as its normalised words.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string_view>
#include <memory>
#include <ostream>

#include "ddcomplex/ddcomplex.hpp"
#include "ddio/output.hpp"
#include "ddtyped/text.hpp"
#include "fuzz_stop.hpp"
#include "fuzz_text.hpp"

namespace {

// Widths up to 400 and digit counts up to 200 cover every layout case
// (one to fourteen digit groups, fields shorter and longer than needed).
constexpr int kMaxWidth = 400;
constexpr int kMaxDigits = 200;

// The messages the routines may stop with.
void expect_allowed(const dd::stop_error& s) {
  dd::fuzz::expect_message(s, {"*** DDEFORMAT: uninitialized or inadequately sized arrays",
                               "*** DDFFORMAT: uninitialized or inadequately sized arrays",
                               "*** DDFFORMAT: Syntax error in output of ddeformat",
                               "*** DDINFR: Argument is too large.",
                               "*** DDNINT: Argument is too large."});
}

// The field must be written in full: every byte printable.
void check_field(const char* b, int nb) {
  for (int i = 0; i < nb; ++i) {
    if (b[i] < ' ' || b[i] > '~') std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const dd::stop_guard guard;
  if (size < 16) return 0;
  dd::DDReal a;
  std::memcpy(&a.hi, data, 8);
  std::memcpy(&a.lo, data + 8, 8);
  const auto byte = [&](std::size_t i) -> int { return i < size ? data[i] : 0; };
  const int nb = (byte(16) | byte(17) << 8) % (kMaxWidth + 1);
  const int nd = byte(18) % (kMaxDigits + 1);
  const int flags = byte(19);
  const int precision = byte(20);

  // Exactly nb bytes, so that AddressSanitizer sees a write past the field.
  const std::unique_ptr<char[]> b(new char[static_cast<std::size_t>(nb)]);
  std::memset(b.get(), 1, static_cast<std::size_t>(nb));
  try {
    dd::DDEFORMAT(a, nb, nd, b.get());
    check_field(b.get(), nb);
  } catch (const dd::stop_error& s) {
    expect_allowed(s);
  }
  std::memset(b.get(), 1, static_cast<std::size_t>(nb));
  try {
    dd::DDFFORMAT(a, nb, nd, b.get());
    check_field(b.get(), nb);
  } catch (const dd::stop_error& s) {
    expect_allowed(s);
  }

  try {
    std::ostringstream os;
    if ((flags & 3) == 1) os << std::scientific;
    if ((flags & 3) == 2) os << std::fixed;
    if ((flags & 4) != 0) os << std::showpoint;
    if ((flags & 8) != 0) os << std::showpos;
    if ((flags & 16) != 0) os << std::uppercase;
    if ((flags & 32) != 0) os << std::left;
    os.precision(precision);
    os.width((flags >> 6) * 20);
    os << a << dd::DDComplex{a, a};
  } catch (const dd::stop_error& s) {
    // Only a value beyond the formatting range may stop the operator, with
    // the message of the routine it calls.
    expect_allowed(s);
  }

  // to_chars into a buffer of nb bytes, in each format at the precision byte.
  for (const auto fmt : {std::chars_format::general, std::chars_format::fixed, std::chars_format::scientific}) {
    std::memset(b.get(), 1, static_cast<std::size_t>(nb));
    const auto r = dd::to_chars(b.get(), b.get() + nb, a, fmt, precision);
    if (r.ec == std::errc()) check_field(b.get(), static_cast<int>(r.ptr - b.get()));
    else if (r.ec != std::errc::value_too_large || r.ptr != b.get() + nb) std::abort();
  }
  dd::DDReal v;
  if (dd::fuzz::normalised(a, v)) dd::fuzz::expect_round_trip(v);
  return 0;
}
