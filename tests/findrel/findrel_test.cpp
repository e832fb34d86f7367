// The findrel program, run as a child process on files written here.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "findrel_util.hpp"

namespace {

struct RunResult {
  int status = -1;
  std::string out, err;
};

std::string slurp(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// findrel ARGS < input; "@FILE" in args stands for the input file's path
// (then standard input is empty).
RunResult findrel(std::string args, const std::string& input) {
  static int counter = 0;
  const std::string base =
      ::testing::TempDir() + "findrel_" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
  std::ofstream(base + ".in") << input;
  std::string redirect = " < " + base + ".in";
  if (const auto at = args.find("@FILE"); at != std::string::npos) {
    args.replace(at, 5, base + ".in");
    redirect = " < /dev/null";
  }
  const std::string cmd =
      std::string(DD_FINDREL_EXE) + " " + args + redirect + " > " + base + ".out 2> " + base + ".err";
  const int rc = std::system(cmd.c_str());
  RunResult r;
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  r.out = slurp(base + ".out");
  r.err = slurp(base + ".err");
  for (const char* ext : {".in", ".out", ".err"}) std::remove((base + ext).c_str());
  return r;
}

std::string first_line(const std::string& s) { return s.substr(0, s.find('\n')); }

// The ten powers of alpha, 35 significant digits each, one per line.
std::string test_vector_text(int digits = 35) {
  std::string text;
  dd::test::alpha_powers(10, [&](int, const dd::test::Mp& p) { text += dd::test::decimal_text(p, digits) + "\n"; });
  return text;
}

std::string alpha_text() {
  std::string text;
  dd::test::alpha_powers(2, [&](int k, const dd::test::Mp& p) {
    if (k == 1) text = dd::test::decimal_text(p, 35) + "\n";
  });
  return text;
}

TEST(findrel, test_vector_gives_the_known_relation) {
  const RunResult r = findrel("@FILE", "# powers of cbrt(3) - cbrt(2)\n\n" + test_vector_text());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::string rel = first_line(r.out);
  EXPECT_TRUE(rel == "-1 0 0 165 0 0 -3 0 0 1" || rel == "1 0 0 -165 0 0 3 0 0 -1") << rel;
  EXPECT_NE(r.out.find("\nresidual = "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\nnorm = 1.650333e+02\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("holds to "), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "");  // no warning: 35 digits, and far from a chance relation

  // The same from standard input, with blanks, tabs and CRLF line ends.
  std::string messy;
  std::istringstream lines(test_vector_text());
  for (std::string l; std::getline(lines, l);) messy += "  \t" + l + " \r\n   \n";
  const RunResult s = findrel("-", messy);
  EXPECT_EQ(s.status, 0) << s.err;
  EXPECT_EQ(first_line(s.out), rel);
}

TEST(findrel, poly_prints_the_minimal_polynomial) {
  const RunResult r = findrel("--poly 9", alpha_text());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(first_line(r.out), "x^9 - 3*x^6 + 165*x^3 - 1");
  const RunResult q = findrel("--poly=2 @FILE", "1.41421356237309504880168872420969807856967\n");
  EXPECT_EQ(q.status, 0) << q.err;
  EXPECT_EQ(first_line(q.out), "x^2 - 2");
}

TEST(findrel, small_norm_bound_and_threshold_options) {
  const RunResult r = findrel("--norm-bound 100", test_vector_text());
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_NE(r.out.find("too large"), std::string::npos) << r.out;
  // 20 digits are enough for a threshold of 1e-18, not for the default one.
  const std::string sqrt2 = "1.4142135623730950488\n";
  const RunResult s = findrel("--poly 4 -t 1e-18", sqrt2);
  EXPECT_EQ(s.status, 0) << s.out << s.err;
  EXPECT_EQ(first_line(s.out), "x^2 - 2");
  EXPECT_NE(s.err.find("taken as exact"), std::string::npos) << s.err;
  const RunResult t = findrel("--poly 4", sqrt2);
  EXPECT_NE(t.err.find("has 20 significant digits; the search works at 32"), std::string::npos) << t.err;
}

TEST(findrel, unrelated_numbers_give_status_1_or_the_chance_warning) {
  std::mt19937_64 gen(99);
  std::uniform_int_distribution<int> digit(0, 9);
  std::string text;
  for (int i = 0; i < 6; ++i) {
    text += "1.";
    for (int k = 0; k < 34; ++k) text += static_cast<char>('0' + digit(gen));
    text += "\n";
  }
  const RunResult r = findrel("", text);
  if (r.status == 0) {
    EXPECT_NE(r.err.find("chance relation"), std::string::npos) << r.out << r.err;
  } else {
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("no relation found"), std::string::npos) << r.out;
  }
}

TEST(findrel, malformed_lines_are_reported_with_their_numbers) {
  const RunResult r = findrel("@FILE", "1.5\n# fine\n2.5x\n\n1.5 e3\n3.25\n1e1000\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("line 3: not a number: 2.5x\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("line 5: not a number: 1.5 e3\n"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("line 7:"), std::string::npos) << r.err;  // exponents of any size are numbers
  EXPECT_EQ(r.err.find("line 1:"), std::string::npos) << r.err;

  // The decimal reader takes these as 0 or 1; in a file of numbers they are slips.
  const RunResult slips = findrel("", "1\n-\n.\ne5\n2e\n");
  EXPECT_EQ(slips.status, 2);
  EXPECT_EQ(slips.err,
            "findrel: line 2: not a number: -\nfindrel: line 3: not a number: .\n"
            "findrel: line 4: not a number: e5\nfindrel: line 5: not a number: 2e\n");

  // Quoted input: control characters escaped, long lines shortened.
  const RunResult ctl = findrel("", "1\n2\x1b[31m\x07\n" + std::string(100000, '7') + "x\n");
  EXPECT_EQ(ctl.status, 2);
  EXPECT_NE(ctl.err.find("line 2: not a number: 2\\x1b[31m\\x07\n"), std::string::npos) << ctl.err;
  EXPECT_NE(ctl.err.find("line 3: not a number: " + std::string(60, '7') + "... (99941 more characters)\n"),
            std::string::npos);
  EXPECT_LT(ctl.err.size(), 400u);
}

std::string many_numbers(int count) {
  std::string s;
  for (int i = 1; i <= count; ++i) s += "1." + std::to_string(i) + "\n";
  return s;
}

TEST(findrel, inputs_the_search_cannot_take) {
  struct Case {
    const char* args;
    std::string input;
    const char* message;
  } cases[] = {
      {"", "", "need at least two numbers, got 0"},
      {"", "# only a comment\n3.5\n", "need at least two numbers, got 1"},
      {"", many_numbers(257), "at most 256 numbers can be searched, got 257"},
      {"", "0\n0.0\n-0e5\n", "all the numbers are zero"},
      {"--poly 3", "1.5\n2.5\n", "--poly needs exactly one number, got 2"},
  };
  for (const auto& c : cases) {
    const RunResult r = findrel(c.args, c.input);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

TEST(findrel, bad_options_exit_2_and_help_exits_0) {
  for (const char* args : {"--frobnicate", "--poly", "--poly 0", "--poly x", "-t 0", "-t 2", "-t abc",
                           "-b 0.5", "-b 1e80", "-d 4", "a b", "/nonexistent/file"}) {
    const RunResult r = findrel(args, "1\n2\n");
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find("findrel: "), std::string::npos) << args;
  }
  const RunResult h = findrel("--help", "");
  EXPECT_EQ(h.status, 0);
  EXPECT_EQ(h.out.rfind("Usage: findrel", 0), 0u);
  EXPECT_NE(h.out.find("Exit status"), std::string::npos);
}

TEST(findrel, short_and_zero_numbers_are_warned_about) {
  const RunResult r = findrel("", "1\n3.14159\n2.718281828\n");
  EXPECT_NE(r.err.find("line 2 has 6 significant digits"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("line 3 has 10 significant digits"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("line 1 has"), std::string::npos) << r.err;  // an exact integer needs no digits
  const RunResult z = findrel("", "1.5\n0.0\n2.5\n");
  EXPECT_EQ(z.status, 0);
  EXPECT_EQ(first_line(z.out), "0 1 0");
  EXPECT_NE(z.err.find("line 2 is zero"), std::string::npos) << z.err;
}

// pi, e and pi + 2e to the given digits (times 10^scale), one per line.
std::string pi_e_text(int digits, long scale = 0) {
  dd::test::Mp pi, e, s;
  mpfr_set_prec(pi, 400);
  mpfr_set_prec(e, 400);
  mpfr_set_prec(s, 400);
  mpfr_const_pi(pi, MPFR_RNDN);
  mpfr_set_ui(e, 1, MPFR_RNDN);
  mpfr_exp(e, e, MPFR_RNDN);
  mpfr_mul_ui(s, e, 2, MPFR_RNDN);
  mpfr_add(s, s, pi, MPFR_RNDN);
  std::string t;
  dd::test::Mp f;
  mpfr_set_prec(f, 400);
  mpfr_ui_pow_ui(f, 10, static_cast<unsigned long>(std::labs(scale)), MPFR_RNDN);
  for (auto* v : {&pi, &e, &s}) {
    if (scale < 0) mpfr_div(*v, *v, f, MPFR_RNDN);
    if (scale > 0) mpfr_mul(*v, *v, f, MPFR_RNDN);
    t += dd::test::decimal_text(*v, digits) + "\n";
  }
  return t;
}

// The wrong answers findrel gave, each with the right one.
TEST(findrel, right_answers_where_it_went_wrong) {
  struct Case {
    const char* args;
    std::string input;
    int status;
    const char* first;  // first line of standard output, or a piece of standard error
  } cases[] = {
      {"--poly 4", "1e10\n", 0, "x - 10000000000"},
      {"--poly 6", "123456.789\n", 0, "1000*x - 123456789"},
      {"--poly 25", "30\n", 0, "x - 30"},
      {"--poly 5", "-1\n", 0, "x + 1"},
      {"--poly 6", "0.5\n", 0, "2*x - 1"},
      {"--poly 10", "1.6180339887498948482045868343656381177203\n", 0, "x^2 - x - 1"},
      {"", "1e-400\n2e-400\n", 0, "-2 1"},
      {"", pi_e_text(35, -305), 0, "-1 -2 1"},
      {"", pi_e_text(60), 0, "-1 -2 1"},
      {"-t 1e-40", pi_e_text(35), 2, "asks for 40 digits but the search works at 35"},
  };
  for (const auto& c : cases) {
    const RunResult r = findrel(c.args, c.input);
    EXPECT_EQ(r.status, c.status) << c.args << " " << c.input << r.out << r.err;
    if (c.status == 0) {
      EXPECT_EQ(first_line(r.out), c.first) << c.args << " " << c.input;
    } else {
      EXPECT_NE(r.err.find(c.first), std::string::npos) << r.err;
    }
  }
}

TEST(findrel, output_that_cannot_be_written_exits_3) {
  const std::string cmd = std::string(DD_FINDREL_EXE) + " > /dev/full 2> /dev/null <<'EOF'\n" + pi_e_text(35) + "EOF\n";
  const int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 3);
}

TEST(findrel, batch_gives_one_line_per_problem_in_input_order) {
  std::string input = pi_e_text(35) + "\n1.25\n2.5\n\n";
  input += "1.4142135623730950488016887242096980786\n1.7320508075688772935274463415058723670\n\n";
  input += "# a block of one number\n2.5\n";
  const RunResult r = findrel("--batch -j 2", input);
  EXPECT_EQ(r.status, 2) << r.out << r.err;  // the last block is bad input
  std::istringstream lines(r.out);
  std::vector<std::string> got;
  for (std::string line; std::getline(lines, line);) got.push_back(line);
  ASSERT_EQ(got.size(), 4u) << r.out;
  EXPECT_EQ(got[0].rfind("stdin:1: -1 -2 1 (norm", 0), 0u) << r.out;
  EXPECT_EQ(got[1].rfind("stdin:5: -2 1 (norm", 0), 0u) << r.out;
  // sqrt 2 and sqrt 3: nothing, or a relation flagged as chance.
  EXPECT_TRUE(got[2].rfind("stdin:8: none: ", 0) == 0 || got[2].find("(may be a chance relation)") != std::string::npos)
      << r.out;
  EXPECT_EQ(got[3], "stdin:11: bad input: need at least two numbers, got 1");
}

TEST(findrel, identify_prints_a_formula) {
  dd::test::Mp x, t;
  mpfr_set_prec(x, 300);
  mpfr_set_prec(t, 300);
  mpfr_const_pi(x, MPFR_RNDN);
  mpfr_sqr(x, x, MPFR_RNDN);
  mpfr_mul_ui(x, x, 3, MPFR_RNDN);
  mpfr_const_log2(t, MPFR_RNDN);
  mpfr_mul_ui(t, t, 2, MPFR_RNDN);
  mpfr_sub(x, x, t, MPFR_RNDN);
  mpfr_div_ui(x, x, 7, MPFR_RNDN);
  const RunResult r = findrel("--identify pi^2,ln2,zeta3", dd::test::decimal_text(x, 50) + "\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(first_line(r.out), "x = (3*pi^2 - 2*ln2)/7");
  EXPECT_NE(r.out.find("holds to 50.0 digits"), std::string::npos) << r.out;
  EXPECT_EQ(findrel("--identify pi,tau", "1.5\n").status, 2);
}

TEST(findrel, debug_level_prints_the_search_progress) {
  const RunResult r = findrel("-d 2", test_vector_text());
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("PSLQM1 integer relation detection"), std::string::npos) << r.out;
  EXPECT_TRUE(r.out.find("\n-1 0 0 165 0 0 -3 0 0 1\n") != std::string::npos ||
              r.out.find("\n1 0 0 -165 0 0 3 0 0 -1\n") != std::string::npos)
      << r.out;
}

}  // namespace
