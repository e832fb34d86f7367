// Decimal input on arbitrary bytes.  Each input is taken
//  - as the 120-character field of DDINPC (its first 120 bytes, blanks after);
//  - as text of any length for to_ddreal, which must agree with DDINPC on the
//    same field;
//  - as a stream read by operator>> into DDReal and DDComplex values until
//    the stream fails, which must never stop the package;
//  - as text for from_chars in each format, which must take the same prefix
//    and report the same error as std::from_chars for double, give that
//    double as its hi word (or its neighbour when the low word renormalises
//    on a tie), and whose result's shortest text must read back word for word.
// DDINPC may only succeed or stop with its syntax message.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <charconv>
#include <cstring>
#include <istream>
#include <sstream>
#include <string>
#include <string_view>

#include "ddcomplex/ddcomplex.hpp"
#include "ddio/input.hpp"
#include "ddtyped/text.hpp"
#include "fuzz_stop.hpp"
#include "fuzz_text.hpp"

namespace {

constexpr std::string_view kSyntax = "*** DDINPC: Syntax error in literal string.";

bool same_bits(const dd::DDReal& a, const dd::DDReal& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The package's messages go to standard output; keep the fuzzer's log readable.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const dd::stop_guard guard;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  char field[dd::kInputField];
  dd::detail::fill_input_field(text, field);
  bool accepted = false;
  dd::DDReal b(0.0, 0.0);
  try {
    dd::DDINPC(field, b);
    accepted = true;
  } catch (const dd::stop_error& s) {
    dd::fuzz::expect_message(s, {kSyntax});
  }

  dd::DDReal c(0.0, 0.0);
  bool converted = false;
  try {
    c = dd::to_ddreal(text);
    converted = true;
  } catch (const dd::stop_error& s) {
    dd::fuzz::expect_message(s, {kSyntax});
  }
  if (accepted != converted || (accepted && !same_bits(b, c) && !(b.hi != b.hi && c.hi != c.hi))) std::abort();

  try {
    std::istringstream in{std::string(text)};
    dd::DDReal x;
    for (int k = 0; k < 64 && (in >> x); ++k) {
    }
    std::istringstream inz{std::string(text)};
    dd::DDComplex z;
    for (int k = 0; k < 64 && (inz >> z); ++k) {
    }
  } catch (const dd::stop_error& s) {
    std::fprintf(stderr, "operator>> stopped: %s\n", s.what());
    std::abort();
  }

  const char* first = text.data();
  const char* last = first + text.size();
  for (const auto fmt : {std::chars_format::general, std::chars_format::fixed, std::chars_format::scientific}) {
    double d = 0.0;
    dd::DDReal v(0.0, 0.0);
    const auto a = std::from_chars(first, last, d, fmt);
    const auto b = dd::from_chars(first, last, v, fmt);
    // Only the sliver above the largest pair is out of range for DDReal but not for double.
    const bool sliver = b.ec == std::errc::result_out_of_range && a.ec == std::errc() && std::fabs(d) == DBL_MAX;
    if (a.ptr != b.ptr || (a.ec != b.ec && !sliver)) std::abort();
    if (b.ec != std::errc() || std::isnan(d) || std::isinf(d)) continue;
    if (v.hi != d && v.hi + 2.0 * v.lo != d) std::abort();
    dd::fuzz::expect_round_trip(v);
  }
  return 0;
}
