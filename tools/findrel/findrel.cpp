// findrel: integer relations among real numbers read from a file, or the
// minimal polynomial of one number, with the multipair PSLQ search in
// double-double arithmetic.  See usage_text below (findrel --help).
//
// Exit status: 0 relation found, 1 none found (the reason is printed),
// 2 bad input or bad options.  Results go to standard output, warnings and
// input errors to standard error (prefixed "findrel:").
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "ddio/input.hpp"
#include "pslq/find_relation.hpp"

namespace {

constexpr int kExitFound = 0;
constexpr int kExitNone = 1;
constexpr int kExitBad = 2;

// Bad lines reported before the rest are only counted.
constexpr int kMaxReportedBadLines = 10;

constexpr char kUsage[] =
    R"(Usage: findrel [OPTIONS] [FILE]
       findrel --poly D [OPTIONS] [FILE]

Looks for integers a1, ..., an, not all zero, with a1*x1 + ... + an*xn = 0,
among real numbers read one per line from FILE (standard input when FILE is
absent or "-"), with the multipair PSLQ search in double-double arithmetic
(about 32 significant digits).

Input: one number per line, in decimal: an optional sign, digits with at most
one point, then optionally an exponent letter (e, E, d or D) and an exponent
of at most three digits, e.g. -1.2599210498948731647672106072782283506 or
6.02214076e23.  Blank lines and lines whose first non-blank character is '#'
are skipped.  Give every number to at least as many significant digits as the
threshold asks for (29 by default); digits beyond about 32 are not used.

Options:
  --poly D               read one number x and find its minimal polynomial of
                         degree at most D: the relation among 1, x, ..., x^D,
                         printed as a polynomial (x^9 - 3*x^6 + 165*x^3 - 1)
  -t, --threshold EPS    detection threshold, 0 < EPS < 1 (default 1e-29): a
                         relation is reported once it holds to about EPS
  -b, --norm-bound B     largest accepted Euclidean norm of the relation,
                         1 < B <= 1e31 (default 1e20)
  -d, --debug LEVEL      debug level of the search, 0 to 3 (default 0); 1 to 3
                         print the search's progress on standard output
  -h, --help             print this text and exit

Output, when a relation is found: the coefficients a1 ... an on one line
(with --poly, the polynomial), then the residual |a1*x1 + ... + an*xn|, the
norm of the relation, and how far to trust it: the number of digits to which
it holds, against the digits to which a chance relation of the same norm
among n numbers would hold (about n*log10(norm)).  A warning follows when the
two are close: relations of norm about 10^(d/n) turn up by chance among n
unrelated numbers known to d digits.

Exit status: 0 a relation was found, 1 none was found (the reason is printed:
iteration limit, norm bound limit, precision exhausted, relation too large),
2 bad input or bad options.
)";

struct Options {
  int poly_degree = 0;  // 0: plain relation search
  dd::relation_options search;
  std::string threshold_text = "1e-29";
  std::string file;  // empty or "-": standard input
};

struct Number {
  dd::DDReal value;
  int line;
  int significant;  // significant digits as written; -1 for an exact integer
};

[[noreturn]] void bad_option(const std::string& what) {
  std::fprintf(stderr, "findrel: %s\nTry 'findrel --help'.\n", what.c_str());
  std::exit(kExitBad);
}

std::string_view trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// True when text has a digit in its mantissa and, after an exponent letter,
// one in its exponent.  The decimal reader takes a lone sign or point as 0
// and "1e" as 1; in a file of numbers those are typing slips, not values.
bool has_digits(std::string_view text) {
  const auto letter = text.find_first_of("eEdD");
  const auto digit = [](std::string_view s) { return s.find_first_of("0123456789") != std::string_view::npos; };
  if (letter == std::string_view::npos) return digit(text);
  return digit(text.substr(0, letter)) && digit(text.substr(letter + 1));
}

// The decimal value of text in the package's syntax; false for text that is
// not a number.  Text longer than the reader's 120-character field would be
// cut silently, so it is refused here.
bool parse_decimal(std::string_view text, dd::DDReal& v) {
  if (text.size() > static_cast<std::size_t>(dd::kInputField) || !has_digits(text)) return false;
  char field[dd::kInputField];
  dd::detail::fill_input_field(text, field);
  return dd::detail::decimal_scan(field, v);
}

// Significant digits of a number as written: mantissa digits from the first
// nonzero one on.  -1 for a text without point or exponent (an exact
// integer, which needs no more digits).
int significant_digits(std::string_view text) {
  int count = 0;
  bool started = false, exact = true;
  for (const char c : text) {
    if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
      exact = false;
      break;
    }
    if (c == '.') exact = false;
    if (c >= '1' && c <= '9') started = true;
    if (c >= '0' && c <= '9' && started) ++count;
  }
  return exact ? -1 : count;
}

int parse_int(const std::string& name, const std::string& text, int lo, int hi) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || v < lo || v > hi)
    bad_option(name + " needs an integer from " + std::to_string(lo) + " to " + std::to_string(hi) + ", got '" +
               text + "'");
  return static_cast<int>(v);
}

Options parse_options(int argc, char** argv) {
  Options o;
  bool files_only = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (!files_only && arg.size() > 1 && arg[0] == '-') {
      if (arg == "--") {
        files_only = true;
        continue;
      }
      if (arg == "-h" || arg == "--help") {
        std::fputs(kUsage, stdout);
        std::exit(0);
      }
      std::string name = arg, value;
      bool has_value = false;
      if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
        name = arg.substr(0, eq);
        value = arg.substr(eq + 1);
        has_value = true;
      }
      const bool known = name == "--poly" || name == "-t" || name == "--threshold" || name == "-b" ||
                         name == "--norm-bound" || name == "-d" || name == "--debug";
      if (!known) bad_option("unknown option '" + arg + "'");
      if (!has_value) {
        if (i + 1 >= argc) bad_option(name + " needs a value");
        value = argv[++i];
      }
      if (name == "--poly") {
        o.poly_degree = parse_int(name, value, 1, dd::kMaxRelationSize - 1);
      } else if (name == "-d" || name == "--debug") {
        o.search.debug = parse_int(name, value, 0, 3);
      } else if (name == "-t" || name == "--threshold") {
        dd::DDReal eps;
        if (!parse_decimal(trim(value), eps) || !(eps.hi > 0.0) || !(eps.hi < 1.0))
          bad_option("the threshold must be a decimal number between 0 and 1, got '" + value + "'");
        o.search.threshold = eps;
        o.threshold_text = std::string(trim(value));
      } else {
        dd::DDReal b;
        if (!parse_decimal(trim(value), b) || !(b.hi > 1.0) || !(b.hi <= 1e31))
          bad_option("the norm bound must be a decimal number above 1 and at most 1e31, got '" + value + "'");
        o.search.log10_norm_bound = std::log10(b.hi);
      }
      continue;
    }
    if (!o.file.empty()) bad_option("only one input file can be given");
    o.file = arg;
  }
  return o;
}

// Reads the numbers; reports every bad line (the first kMaxReportedBadLines of them).
bool read_numbers(std::FILE* in, std::vector<Number>& out) {
  std::string line;
  int lineno = 0, bad = 0;
  for (int c = 0; c != EOF;) {
    line.clear();
    while ((c = std::fgetc(in)) != EOF && c != '\n') line += static_cast<char>(c);
    if (c == EOF && line.empty()) break;
    ++lineno;
    const std::string_view text = trim(line);
    if (text.empty() || text.front() == '#') continue;
    dd::DDReal v;
    const char* why = nullptr;
    if (text.size() > static_cast<std::size_t>(dd::kInputField)) {
      why = "longer than 120 characters";
    } else if (!parse_decimal(text, v)) {
      why = "not a number";
    } else if (!std::isfinite(v.hi) || !std::isfinite(v.lo)) {
      why = "out of the range of binary64 numbers";
    }
    if (why != nullptr) {
      if (++bad <= kMaxReportedBadLines)
        std::fprintf(stderr, "findrel: line %d: %s: %.*s\n", lineno, why, static_cast<int>(text.size()), text.data());
      continue;
    }
    out.push_back({v, lineno, significant_digits(text)});
  }
  if (std::ferror(in)) {
    std::fprintf(stderr, "findrel: read error: %s\n", std::strerror(errno));
    return false;
  }
  if (bad > kMaxReportedBadLines) std::fprintf(stderr, "findrel: %d more bad lines\n", bad - kMaxReportedBadLines);
  return bad == 0;
}

void warn_short_numbers(const std::vector<Number>& xs, const Options& o) {
  const int needed = static_cast<int>(std::lround(-std::log10(o.search.threshold.hi)));
  for (const auto& x : xs) {
    if (x.significant >= 0 && x.significant < needed && x.value.hi != 0.0)
      std::fprintf(stderr,
                   "findrel: warning: line %d has %d significant digits; the threshold %s needs about %d, "
                   "so a relation found may hold only for the rounded number\n",
                   x.line, x.significant, o.threshold_text.c_str(), needed);
  }
}

int report(const dd::relation_result& r, const Options& o, std::size_t n) {
  using dd::relation_status;
  switch (r.status) {
    case relation_status::found: break;
    case relation_status::bad_input:
      std::fprintf(stderr, "findrel: %s\n", r.message.c_str());
      return kExitBad;
    case relation_status::too_large: {
      std::printf("no relation found: %s\n", r.message.c_str());
      std::string line = "rejected relation:";
      for (const auto& a : r.relation) {
        line += ' ';
        line.append(dd::integer_text(a));
      }
      std::printf("%s\n", line.c_str());
      return kExitNone;
    }
    default:
      std::printf("%s\n", r.message.c_str());
      return kExitNone;
  }
  if (o.poly_degree > 0) {
    std::printf("%s\n", dd::polynomial_text(r.relation).c_str());
  } else {
    std::string line;
    for (const auto& a : r.relation) {
      if (!line.empty()) line += ' ';
      line.append(dd::integer_text(a));
    }
    std::printf("%s\n", line.c_str());
  }
  std::printf("residual = %.6e\n", r.residual.hi);
  std::printf("norm = %.6e\n", r.norm.hi);
  std::printf("holds to %.1f digits; a chance relation of this norm among %zu numbers holds to about %.1f\n",
              r.digits, n, r.chance_digits);
  if (r.maybe_chance) {
    const double d = -std::log10(o.search.threshold.hi);
    std::fprintf(stderr,
                 "findrel: warning: this may be a chance relation: among %zu unrelated numbers known to %.0f "
                 "digits, relations of norm about 10^%.1f turn up by chance; check it with more digits\n",
                 n, d, d / static_cast<double>(n));
  }
  return kExitFound;
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = parse_options(argc, argv);

  std::FILE* in = stdin;
  if (!o.file.empty() && o.file != "-") {
    in = std::fopen(o.file.c_str(), "r");
    if (in == nullptr) {
      std::fprintf(stderr, "findrel: cannot open %s: %s\n", o.file.c_str(), std::strerror(errno));
      return kExitBad;
    }
  }
  std::vector<Number> xs;
  const bool ok = read_numbers(in, xs);
  if (in != stdin) std::fclose(in);
  if (!ok) return kExitBad;

  if (o.poly_degree > 0) {
    if (xs.size() != 1) {
      std::fprintf(stderr, "findrel: --poly needs exactly one number, got %zu\n", xs.size());
      return kExitBad;
    }
  } else if (xs.size() < 2) {
    std::fprintf(stderr, "findrel: need at least two numbers, got %zu\n", xs.size());
    return kExitBad;
  } else if (xs.size() > static_cast<std::size_t>(dd::kMaxRelationSize)) {
    std::fprintf(stderr, "findrel: at most %d numbers can be searched, got %zu\n", dd::kMaxRelationSize, xs.size());
    return kExitBad;
  }
  warn_short_numbers(xs, o);

  std::vector<dd::DDReal> values;
  for (const auto& x : xs) values.push_back(x.value);
  dd::relation_result r;
  std::size_t n = values.size();
  if (o.poly_degree > 0) {
    r = dd::find_minimal_polynomial(values[0], o.poly_degree, o.search);
    n = static_cast<std::size_t>(o.poly_degree) + 1;
  } else {
    r = dd::find_relation(values, o.search);
  }
  std::fflush(stdout);
  return report(r, o, n);
}
