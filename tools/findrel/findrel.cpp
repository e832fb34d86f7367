// findrel: integer relations among real numbers read from a file, the
// minimal polynomial of one number, or a formula for one number in a basis of
// named constants, at the precision the numbers carry.  See kUsage below
// (findrel --help).
//
// Exit status: 0 relation found (in --batch: every problem), 1 none found
// (the reason is printed; in --batch: some problem), 2 bad input or bad
// options, 3 the output could not be written.  Results go to standard output,
// warnings and input errors to standard error (prefixed "findrel:").
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "pslq/relations/relations.hpp"

namespace {

constexpr int kExitFound = 0;
constexpr int kExitNone = 1;
constexpr int kExitBad = 2;
constexpr int kExitWrite = 3;

// Bad lines reported before the rest are only counted.
constexpr int kMaxReportedBadLines = 10;

// The least working precision, as in the library: shorter numbers are exact decimals.
constexpr int kLeastDigits = 32;

// Quoted input is cut to this many characters.
constexpr std::size_t kQuoteLength = 60;

constexpr char kUsage[] =
    R"(Usage: findrel [OPTIONS] [FILE]
       findrel --poly D [OPTIONS] [FILE]
       findrel --identify CONSTANTS [OPTIONS] [FILE]
       findrel --batch [-j N] [OPTIONS] [FILE...]

Looks for integers a1, ..., an, not all zero, with a1*x1 + ... + an*xn = 0,
among real numbers read one per line from FILE (standard input when FILE is
absent or "-"), with a multi-level multipair PSLQ search at the precision the
numbers carry: the fewest significant digits among them (exact integers such
as 1 or -3 carry as many as needed), at least 32 (shorter numbers such as 0.5
are taken as the exact decimals they are, with a warning), or --digits N.

Input: one number per line, in decimal: an optional sign, digits with at most
one point, then optionally an exponent letter (e, E, d or D) and an exponent
of any size, e.g. -1.2599210498948731647672106072782283506 or 6.02214076e23.
Numbers may be of any length.  Blank lines and lines whose first non-blank
character is '#' are skipped.

Options:
  --poly D               read one number x and find its minimal polynomial of
                         degree at most D: the primitive integer polynomial of
                         smallest degree with x as a root (x^9 - 3*x^6 + 165*x^3 - 1)
  --identify CONSTANTS   read one number x and find it as a rational linear
                         combination of the constants, a comma-separated list
                         of pi, e, ln2, ln3, ln10, zeta3, zeta5, catalan,
                         euler, sqrtN, cbrtN and 1, each optionally with a
                         power (pi^2), computed at the working precision:
                         x = (3*pi^2 - 2*ln2)/7
  --batch                solve many problems: each FILE is one problem, or
                         with one input, blocks separated by blank lines are;
                         one result line per problem, in input order
  -j, --jobs N           --batch: problems solved at once (default: all cores)
  --digits N             work at N digits instead of the numbers' own
  -t, --threshold EPS    detection threshold, 0 < EPS < 1 (default: 10^-(d-3)
                         at d digits); it may not ask for more digits than
                         the search works at
  -b, --norm-bound B     largest accepted Euclidean norm of the relation,
                         B > 1 (default 1e20)
  -d, --debug LEVEL      0 to 3 (default 0); 1 to 3 run the double-double
                         search PSLQM1 (about 32 digits) and print its progress
  -h, --help             print this text and exit

Output, when a relation is found: the coefficients a1 ... an on one line
(with --poly the polynomial, with --identify the formula), then the residual
|a1*x1 + ... + an*xn|, the norm of the relation, and how far to trust it: the
number of digits to which it holds, against the digits to which a chance
relation of the same norm among n numbers would hold (about n*log10(norm)).
A warning follows when the two are close: relations of norm about 10^(d/n)
turn up by chance among n unrelated numbers known to d digits.

Exit status: 0 a relation was found (--batch: for every problem), 1 none was
found (the reason is printed), 2 bad input or bad options, 3 the output could
not be written.
)";

enum class Mode { relation, poly, identify };

struct Options {
  Mode mode = Mode::relation;
  int poly_degree = 0;
  std::vector<std::string> basis;  // --identify
  bool batch = false;
  int jobs = 0;
  dd::relation_options search;
  std::vector<std::string> files;
};

struct Number {
  std::string text;
  int line;
  int digits;  // significant digits as written; -1 for an exact integer
};

// One problem: its name (file or block) and its numbers.
struct Problem {
  std::string name;
  std::vector<Number> numbers;
};

[[noreturn]] void bad_option(const std::string& what) {
  std::fprintf(stderr, "findrel: %s\nTry 'findrel --help'.\n", what.c_str());
  std::exit(kExitBad);
}

// Text for a message: control characters escaped, cut after kQuoteLength
// characters with the count of the rest.
std::string quote(std::string_view text) {
  std::string q;
  const std::size_t shown = std::min(text.size(), kQuoteLength);
  for (std::size_t i = 0; i < shown; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\') {
      q += "\\\\";
    } else if (c < 0x20 || c == 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      q += buf;
    } else {
      q += static_cast<char>(c);
    }
  }
  if (shown < text.size()) q += "... (" + std::to_string(text.size() - shown) + " more characters)";
  return q;
}

std::string_view trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

int parse_int(const std::string& name, const std::string& text, int lo, int hi) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || v < lo || v > hi)
    bad_option(name + " needs an integer from " + std::to_string(lo) + " to " + std::to_string(hi) + ", got '" +
               quote(text) + "'");
  return static_cast<int>(v);
}

// log10 of a positive decimal text of any exponent; false when it is not one.
bool log10_of(const std::string& text, double& out) {
  mpfr_t v;
  mpfr_init2(v, 64);
  const bool ok = dd::read_decimal(trim(text), v) && mpfr_sgn(v) > 0;
  if (ok) {
    long e = 0;
    const double m = mpfr_get_d_2exp(&e, v, MPFR_RNDN);
    out = (std::log2(m) + static_cast<double>(e)) * std::log10(2.0);
  }
  mpfr_clear(v);
  return ok;
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
        if (std::fputs(kUsage, stdout) == EOF || std::fflush(stdout) != 0) std::exit(kExitWrite);
        std::exit(0);
      }
      if (arg == "--batch") {
        o.batch = true;
        continue;
      }
      std::string name = arg, value;
      bool has_value = false;
      if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
        name = arg.substr(0, eq);
        value = arg.substr(eq + 1);
        has_value = true;
      }
      const bool known = name == "--poly" || name == "--identify" || name == "-j" || name == "--jobs" ||
                         name == "--digits" || name == "-t" || name == "--threshold" || name == "-b" ||
                         name == "--norm-bound" || name == "-d" || name == "--debug";
      if (!known) bad_option("unknown option '" + quote(arg) + "'");
      if (!has_value) {
        if (i + 1 >= argc) bad_option(name + " needs a value");
        value = argv[++i];
      }
      if (name == "--poly") {
        o.mode = Mode::poly;
        o.poly_degree = parse_int(name, value, 1, 255);
      } else if (name == "--identify") {
        o.mode = Mode::identify;
        o.basis.clear();
        std::size_t start = 0;
        for (;;) {
          const std::size_t comma = value.find(',', start);
          const std::string c(trim(std::string_view(value).substr(start, comma - start)));
          mpfr_t probe;
          mpfr_init2(probe, 64);
          const bool ok = dd::named_constant(c, probe);
          mpfr_clear(probe);
          if (!ok) bad_option("--identify: unknown constant '" + quote(c) + "'");
          o.basis.push_back(c);
          if (comma == std::string::npos) break;
          start = comma + 1;
        }
      } else if (name == "-j" || name == "--jobs") {
        o.jobs = parse_int(name, value, 1, 4096);
      } else if (name == "--digits") {
        o.search.digits = parse_int(name, value, 4, 100000);
      } else if (name == "-d" || name == "--debug") {
        o.search.debug = parse_int(name, value, 0, 3);
      } else if (name == "-t" || name == "--threshold") {
        double l = 0.0;
        if (!log10_of(value, l) || !(l < 0.0))
          bad_option("the threshold must be a decimal number between 0 and 1, got '" + quote(value) + "'");
        o.search.log10_threshold = l;
      } else {
        double l = 0.0;
        if (!log10_of(value, l) || !(l > 0.0))
          bad_option("the norm bound must be a decimal number above 1, got '" + quote(value) + "'");
        o.search.log10_norm_bound = l;
      }
      continue;
    }
    o.files.push_back(arg);
  }
  if (!o.batch && o.files.size() > 1) bad_option("only one input file can be given (or use --batch)");
  return o;
}

// Reads the numbers of in into problems: one problem per file, or in batch
// mode with a single input, one per block of lines separated by blank lines.
// Reports every bad line (the first kMaxReportedBadLines of them).
bool read_problems(std::FILE* in, const std::string& name, bool blocks, std::vector<Problem>& out) {
  const std::string where = name.empty() ? "" : name + ": ";
  std::string line;
  int lineno = 0, bad = 0;
  Problem cur{blocks ? name + ":1" : name, {}};
  const auto flush = [&] {
    if (!cur.numbers.empty()) out.push_back(std::move(cur));
    cur = Problem{name + ":" + std::to_string(lineno + 1), {}};
  };
  for (int c = 0; c != EOF;) {
    line.clear();
    while ((c = std::fgetc(in)) != EOF && c != '\n') line += static_cast<char>(c);
    if (c == EOF && line.empty()) break;
    ++lineno;
    const std::string_view text = trim(line);
    if (text.empty()) {
      if (blocks) flush();
      continue;
    }
    if (text.front() == '#') continue;
    const int digits = dd::decimal_digits(text);
    if (digits == 0) {
      if (++bad <= kMaxReportedBadLines)
        std::fprintf(stderr, "findrel: %sline %d: not a number: %s\n", where.c_str(), lineno, quote(text).c_str());
      continue;
    }
    cur.numbers.push_back({std::string(text), lineno, digits});
  }
  if (std::ferror(in)) {
    std::fprintf(stderr, "findrel: %sread error: %s\n", where.c_str(), std::strerror(errno));
    return false;
  }
  if (bad > kMaxReportedBadLines)
    std::fprintf(stderr, "findrel: %s%d more bad lines\n", where.c_str(), bad - kMaxReportedBadLines);
  if (!cur.numbers.empty() || !blocks) out.push_back(std::move(cur));
  return bad == 0;
}

int working_digits(const std::vector<std::string>& t, const Options& o);
std::vector<std::string> texts(const Problem& p);

// Warnings about numbers that are zero or carry fewer digits than the search works at.
std::string number_warnings(const Problem& p, const Options& o) {
  std::string w;
  const int work = working_digits(texts(p), o);
  mpfr_t v;
  mpfr_init2(v, 64);
  for (const auto& x : p.numbers) {
    dd::read_decimal(x.text, v);
    if (mpfr_zero_p(v)) {
      w += "findrel: warning: line " + std::to_string(x.line) + " is zero, so it is a relation by itself\n";
    } else if (x.digits > 0 && x.digits < work) {
      w += "findrel: warning: line " + std::to_string(x.line) + " has " + std::to_string(x.digits) +
           " significant digits; the search works at " + std::to_string(work) +
           ", so it is taken as exact and a relation found may hold only for the rounded number\n";
    }
  }
  mpfr_clear(v);
  return w;
}

std::vector<std::string> texts(const Problem& p) {
  std::vector<std::string> t;
  for (const auto& x : p.numbers) t.push_back(x.text);
  return t;
}

// The working digits: --digits, else the fewest among the inexact numbers.
int working_digits(const std::vector<std::string>& t, const Options& o) {
  if (o.search.digits > 0) return o.search.digits;
  int d = 0;
  for (const auto& s : t) {
    const int k = dd::decimal_digits(s);
    if (k > 0) d = d == 0 ? k : std::min(d, k);
  }
  return std::max(d, kLeastDigits);
}

// "x = (3*pi^2 - 2*ln2)/7" from the relation c0 x + c1 b1 + ... = 0.
std::string formula(const dd::relation_result& r, const std::vector<std::string>& basis) {
  std::string c0 = r.coefficients[0];
  const bool negate = c0.front() != '-';  // x = -(sum ci bi)/c0
  if (!negate) c0 = c0.substr(1);
  std::string sum;
  for (std::size_t i = 1; i < r.coefficients.size(); ++i) {
    std::string c = r.coefficients[i];
    if (c == "0") continue;
    bool neg = c.front() == '-';
    if (neg) c = c.substr(1);
    if (negate) neg = !neg;
    std::string term = basis[i - 1] == "1" ? c : (c == "1" ? basis[i - 1] : c + "*" + basis[i - 1]);
    if (sum.empty()) {
      sum = (neg ? "-" : "") + term;
    } else {
      sum += (neg ? " - " : " + ") + term;
    }
  }
  if (sum.empty()) sum = "0";
  if (c0 == "1") return "x = " + sum;
  const bool single = sum.find(' ') == std::string::npos;
  return "x = " + (single ? sum : "(" + sum + ")") + "/" + c0;
}

std::string coefficient_line(const dd::relation_result& r) {
  std::string line;
  for (const auto& a : r.coefficients) {
    if (!line.empty()) line += ' ';
    line += a;
  }
  return line;
}

std::string polynomial(const dd::relation_result& r) {
  std::string s;
  for (std::size_t k = r.coefficients.size(); k-- > 0;) {
    std::string c = r.coefficients[k];
    if (c == "0") continue;
    const bool neg = c.front() == '-';
    if (neg) c = c.substr(1);
    s += s.empty() ? (neg ? "-" : "") : (neg ? " - " : " + ");
    if (k == 0) {
      s += c;
      continue;
    }
    if (c != "1") {
      s += c;
      s += '*';
    }
    s += 'x';
    if (k > 1) {
      s += '^';
      s += std::to_string(k);
    }
  }
  return s.empty() ? "0" : s;
}

// One solved problem: its output lines, its warnings, its exit status.
struct Solved {
  std::string out, err, summary;
  int status = kExitNone;
};

std::string fmt(const char* f, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, f, v);
  return buf;
}

Solved solve(const Problem& p, const Options& o) {
  Solved s;
  s.err = number_warnings(p, o);
  std::vector<std::string> t = texts(p);
  dd::relation_result r;
  std::size_t n = t.size();
  if (o.mode == Mode::poly || o.mode == Mode::identify) {
    if (t.size() != 1) {
      s.err += "findrel: " + std::string(o.mode == Mode::poly ? "--poly" : "--identify") +
               " needs exactly one number, got " + std::to_string(t.size()) + "\n";
      s.status = kExitBad;
      s.summary = "bad input: needs exactly one number, got " + std::to_string(t.size());
      return s;
    }
  } else if (t.size() < 2) {
    s.err += "findrel: need at least two numbers, got " + std::to_string(t.size()) + "\n";
    s.status = kExitBad;
    s.summary = "bad input: need at least two numbers, got " + std::to_string(t.size());
    return s;
  }
  if (o.mode == Mode::poly) {
    r = dd::find_minimal_polynomial(t[0], o.poly_degree, o.search);
    n = r.coefficients.size();
  } else if (o.mode == Mode::identify) {
    // The basis at the working precision, as decimal text of that many digits.
    const int digits = working_digits(t, o);
    mpfr_t v;
    mpfr_init2(v, static_cast<mpfr_prec_t>(std::ceil((digits + 20) * 3.33)));
    for (const auto& c : o.basis) {
      dd::named_constant(c, v);
      char* str = nullptr;
      mpfr_asprintf(&str, "%.*Re", digits + 10, v);
      t.push_back(str);
      mpfr_free_str(str);
    }
    mpfr_clear(v);
    dd::relation_options opt = o.search;
    opt.digits = digits;
    r = dd::find_relation(t, opt);
    n = t.size();
    if (r.status == dd::relation_status::found && r.coefficients[0] == "0") {
      r.status = dd::relation_status::norm_bound;
      r.message = "no formula found: the constants have a relation among themselves (" + coefficient_line(r) +
                  "); drop one of them";
    }
  } else {
    r = dd::find_relation(t, o.search);
  }
  using dd::relation_status;
  switch (r.status) {
    case relation_status::found: break;
    case relation_status::bad_input:
      s.err += "findrel: " + r.message + "\n";
      s.status = kExitBad;
      s.summary = "bad input: " + r.message;
      return s;
    case relation_status::too_large:
      s.out = "no relation found: " + r.message + "\nrejected relation: " + coefficient_line(r) + "\n";
      s.summary = "none: " + r.message;
      return s;
    default:
      s.out = r.message + "\n";
      s.summary = "none: " + r.message;
      return s;
  }
  std::string first = o.mode == Mode::poly ? polynomial(r) : o.mode == Mode::identify ? formula(r, o.basis)
                                                                                      : coefficient_line(r);
  s.out = first + "\n";
  s.out += "residual = " + fmt("%.6e", r.residual.hi) + "\n";
  s.out += "norm = " + fmt("%.6e", r.norm.hi) + "\n";
  s.out += "holds to " + fmt("%.1f", r.digits) + " digits; a chance relation of this norm among " +
           std::to_string(n) + " numbers holds to about " + fmt("%.1f", r.chance_digits) + "\n";
  s.summary = first + " (norm " + fmt("%.6e", r.norm.hi) + ", holds to " + fmt("%.1f", r.digits) + " digits)";
  if (r.maybe_chance) {
    const double d = r.working_digits;
    s.err += "findrel: warning: this may be a chance relation: among " + std::to_string(n) +
             " unrelated numbers known to " + fmt("%.0f", d) + " digits, relations of norm about 10^" +
             fmt("%.1f", d / static_cast<double>(n)) + " turn up by chance; check it with more digits\n";
    s.summary += " (may be a chance relation)";
  }
  s.status = kExitFound;
  return s;
}

bool write_all(std::FILE* f, const std::string& s) {
  return s.empty() || std::fwrite(s.data(), 1, s.size(), f) == s.size();
}

// Solves the problems on jobs threads; prints one line per problem in input
// order as soon as it and those before it are done; a progress bar on
// standard error when that is a terminal.
int run_batch(const std::vector<Problem>& problems, const Options& o, bool& write_ok) {
  const std::size_t count = problems.size();
  std::vector<Solved> done(count);
  std::vector<char> ready(count, 0);
  std::atomic<std::size_t> next{0};
  std::mutex lock;
  std::size_t printed = 0, finished = 0;
  const bool bar = isatty(STDERR_FILENO) != 0;
  int status = kExitFound;
  const auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < count;) {
      Solved s = solve(problems[i], o);
      const std::lock_guard<std::mutex> g(lock);
      done[i] = std::move(s);
      ready[i] = 1;
      ++finished;
      if (bar) std::fputs("\r\033[K", stderr);  // the bar's line is cleared for the results
      for (; printed < count && ready[printed]; ++printed) {
        const Solved& d = done[printed];
        write_ok &= write_all(stderr, d.err);
        write_ok &= std::fprintf(stdout, "%s: %s\n", problems[printed].name.c_str(), d.summary.c_str()) > 0;
        if (d.status > status) status = d.status;
        done[printed] = Solved{};
      }
      std::fflush(stdout);
      if (bar) {
        constexpr int kWidth = 40;
        const int fill = static_cast<int>(kWidth * finished / count);
        std::fprintf(stderr, "\r[%s%s] %zu/%zu", std::string(fill, '#').c_str(), std::string(kWidth - fill, ' ').c_str(),
                     finished, count);
        if (finished == count) std::fputc('\n', stderr);
      }
    }
  };
  unsigned jobs = o.jobs > 0 ? static_cast<unsigned>(o.jobs) : std::max(1u, std::thread::hardware_concurrency());
  jobs = static_cast<unsigned>(std::min<std::size_t>(jobs, std::max<std::size_t>(count, 1)));
  std::vector<std::thread> pool;
  for (unsigned k = 1; k < jobs; ++k) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = parse_options(argc, argv);
  std::vector<std::string> files = o.files;
  if (files.empty()) files.push_back("-");
  std::vector<Problem> problems;
  bool ok = true;
  const bool blocks = o.batch && files.size() == 1;
  for (const auto& f : files) {
    std::FILE* in = stdin;
    if (f != "-") {
      in = std::fopen(f.c_str(), "r");
      if (in == nullptr) {
        std::fprintf(stderr, "findrel: cannot open %s: %s\n", quote(f).c_str(), std::strerror(errno));
        return kExitBad;
      }
    }
    ok &= read_problems(in, o.batch ? (f == "-" ? "stdin" : f) : "", blocks, problems);
    if (in != stdin) std::fclose(in);
  }
  if (!ok) return kExitBad;

  bool write_ok = true;
  int status;
  if (o.batch) {
    status = run_batch(problems, o, write_ok);
  } else {
    const Solved s = solve(problems.front(), o);
    write_ok &= write_all(stdout, s.out);
    write_ok &= write_all(stderr, s.err);
    status = s.status;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout) || !write_ok) {
    std::fprintf(stderr, "findrel: cannot write the output: %s\n", std::strerror(errno));
    return kExitWrite;
  }
  return status;
}
