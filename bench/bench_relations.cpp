// Integer relation search beside PARI/GP's lindep and mpmath's pslq, on the
// same inputs in one run, with a table of times and ratios.
//
// Two families of problems, n numbers at d digits:
//   1. x = (1, a, ..., a^(n-1)), a the real root > 1 of t^(n-1) - t - 1
//      (relation: the polynomial itself, norm sqrt 3);
//   2. x(1..n-1) random in (0, 1), x(n) = sum c(i) x(i), c(i) random in
//      -3..3 (relation: (c, -1)).
// ddkit's find_relation runs under Google Benchmark on MPFR values of d
// digits; then gp (if installed: Debian pari-gp) times lindep and python3 (with
// mpmath: Debian python3-mpmath) times pslq on the same decimal text, each in
// one process for all problems, repeating each call for at least 0.2 s.
// All times are CPU times of the process (the machine may be shared).  A
// relation counts as found when it is the true one up to sign.
//
// The problems: DD_REL_FAMILIES (default "1,2"), DD_REL_DIGITS (default
// "32,60"), DD_REL_N (default "6,10", ranges like "6-40" allowed);
// DD_REL_PEERS=0 skips gp and python3, DD_REL_MPMATH_MAX_N (default 12)
// skips mpmath above that n.  The README's table:
//   DD_REL_DIGITS=32,60,100,200 DD_REL_N=6-40 build-bench/bench/bench_relations_native
#include <benchmark/benchmark.h>
#include <mpfr.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "pslq/relations/relations.hpp"

namespace {

struct Problem {
  int family, digits, n;
  std::vector<std::string> text;  // the numbers at d digits
  std::vector<long> relation;     // the true relation
  std::string id() const {
    return "f" + std::to_string(family) + "_d" + std::to_string(digits) + "_n" + std::to_string(n);
  }
};

std::vector<int> int_list(const char* env, const char* fallback) {
  const char* s = std::getenv(env);
  std::string t = s != nullptr ? s : fallback;
  std::vector<int> v;
  std::stringstream in(t);
  for (std::string item; std::getline(in, item, ',');) {
    const auto dash = item.find('-');
    if (dash == std::string::npos) {
      v.push_back(std::stoi(item));
    } else {
      for (int k = std::stoi(item.substr(0, dash)); k <= std::stoi(item.substr(dash + 1)); ++k) v.push_back(k);
    }
  }
  return v;
}

std::string text_of(mpfr_srcptr v, int digits) {
  char* s = nullptr;
  mpfr_asprintf(&s, "%.*Re", digits - 1, v);
  std::string t(s);
  mpfr_free_str(s);
  return t;
}

Problem make(int family, int digits, int n) {
  Problem p{family, digits, n, {}, {}};
  const mpfr_prec_t prec = static_cast<mpfr_prec_t>(digits * 3.33) + 64;
  mpfr_t a, f, df, t, s;
  mpfr_inits2(prec, a, f, df, t, s, static_cast<mpfr_ptr>(nullptr));
  if (family == 1) {
    mpfr_set_d(a, 1.5, MPFR_RNDN);
    for (int it = 0; it < 400; ++it) {  // Newton on t^(n-1) - t - 1 from above the root
      mpfr_pow_ui(f, a, n - 1, MPFR_RNDN);
      mpfr_sub(f, f, a, MPFR_RNDN);
      mpfr_sub_ui(f, f, 1, MPFR_RNDN);
      mpfr_pow_ui(df, a, n - 2, MPFR_RNDN);
      mpfr_mul_ui(df, df, n - 1, MPFR_RNDN);
      mpfr_sub_ui(df, df, 1, MPFR_RNDN);
      mpfr_div(t, f, df, MPFR_RNDN);
      mpfr_sub(a, a, t, MPFR_RNDN);
    }
    mpfr_set_ui(t, 1, MPFR_RNDN);
    for (int i = 0; i < n; ++i) {
      p.text.push_back(text_of(t, digits));
      mpfr_mul(t, t, a, MPFR_RNDN);
    }
    p.relation.assign(n, 0);
    p.relation[0] = -1;
    p.relation[1] = -1;
    p.relation[n - 1] = 1;
  } else {
    std::mt19937_64 g(1000 * n + digits);
    gmp_randstate_t st;
    gmp_randinit_default(st);
    gmp_randseed_ui(st, 1000 * n + digits);
    mpfr_set_ui(s, 0, MPFR_RNDN);
    for (int i = 0; i < n - 1; ++i) {
      mpfr_urandomb(a, st);
      mpfr_set_str(a, text_of(a, digits).c_str(), 10, MPFR_RNDN);  // the number as given
      p.text.push_back(text_of(a, digits));
      const long c = static_cast<long>(g() % 7) - 3;
      p.relation.push_back(c);
      mpfr_mul_si(t, a, c, MPFR_RNDN);
      mpfr_add(s, s, t, MPFR_RNDN);
    }
    gmp_randclear(st);
    p.text.push_back(text_of(s, digits));
    p.relation.push_back(-1);
  }
  mpfr_clears(a, f, df, t, s, static_cast<mpfr_ptr>(nullptr));
  return p;
}

// True when got is want or -want.
bool same_relation(const std::vector<std::string>& got, const std::vector<long>& want) {
  if (got.size() != want.size()) return false;
  for (const int sign : {1, -1}) {
    bool ok = true;
    for (std::size_t i = 0; i < want.size() && ok; ++i) ok = got[i] == std::to_string(sign * want[i]);
    if (ok) return true;
  }
  return false;
}

struct Timing {
  double ms = -1.0;
  bool found = false;
};

std::vector<Problem> problems;
std::map<std::string, Timing> ours;

void run_ours(benchmark::State& state, const Problem* p) {
  const mpfr_prec_t prec = static_cast<mpfr_prec_t>(std::ceil(p->digits * 3.3219280948873622));
  std::vector<__mpfr_struct> v(p->text.size());
  std::vector<mpfr_srcptr> x;
  for (std::size_t i = 0; i < v.size(); ++i) {
    mpfr_init2(&v[i], prec);
    mpfr_set_str(&v[i], p->text[i].c_str(), 10, MPFR_RNDN);
    x.push_back(&v[i]);
  }
  dd::relation_result r;
  for (auto _ : state) {
    r = dd::find_relation(x);
    benchmark::DoNotOptimize(r.relation.data());
  }
  for (auto& a : v) mpfr_clear(&a);
  state.counters["found"] = same_relation(r.coefficients, p->relation) ? 1 : 0;
}

// Collects ddkit's times for the table.
class Collect : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      Timing t;
      t.ms = run.cpu_accumulated_time / static_cast<double>(run.iterations) * 1e3;
      const auto it = run.counters.find("found");
      t.found = it != run.counters.end() && it->second.value > 0.5;
      ours[run.benchmark_name().substr(run.benchmark_name().find('/') + 1)] = t;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

bool have(const char* cmd) { return std::system((std::string("command -v ") + cmd + " >/dev/null 2>&1").c_str()) == 0; }

// Runs a peer script, reading "RESULT id ms relation" lines.
std::map<std::string, Timing> run_peer(const std::string& command) {
  std::map<std::string, Timing> out;
  FILE* f = popen(command.c_str(), "r");
  if (f == nullptr) return out;
  char line[65536];
  while (std::fgets(line, sizeof line, f) != nullptr) {
    std::istringstream in(line);
    std::string tag, id;
    Timing t;
    if (!(in >> tag >> id >> t.ms) || tag != "RESULT") continue;
    std::vector<std::string> rel;
    for (std::string c; in >> c;) rel.push_back(c);
    for (const auto& p : problems)
      if (p.id() == id) t.found = same_relation(rel, p.relation);
    out[id] = t;
  }
  pclose(f);
  return out;
}

std::string write_inputs(const std::string& dir) {
  for (const auto& p : problems) {
    std::ofstream f(dir + "/" + p.id() + ".txt");
    for (const auto& t : p.text) f << t << "\n";
  }
  return dir;
}

std::map<std::string, Timing> run_gp(const std::string& dir) {
  std::ofstream s(dir + "/lindep.gp");
  s << "default(parisizemax, 2000000000);\n";
  for (const auto& p : problems) {
    s << "default(realprecision, " << p.digits << ");\n"
      << "v = readvec(\"" << dir << "/" << p.id() << ".txt\"); k = 1;\n"
      << "while(1, gettime(); for(i = 1, k, r = lindep(v)); t = gettime(); if(t >= 200, break); k *= 2);\n"
      << "print(\"RESULT " << p.id() << " \", t / k * 1., \" \", concat([\"\"], "
         "apply(c -> Str(c), Vec(r))));\n";
  }
  s << "quit;\n";
  s.close();
  return run_peer("gp -q -f " + dir + "/lindep.gp < /dev/null 2>/dev/null | tr '[],\"' '    '");
}

std::map<std::string, Timing> run_mpmath(const std::string& dir, int max_n) {
  std::ofstream s(dir + "/pslq.py");
  s << "import sys, time\nfrom mpmath import mp, mpf, pslq\n";
  for (const auto& p : problems) {
    if (p.n > max_n) continue;
    s << "mp.dps = " << p.digits << "\n"
      << "x = [mpf(l) for l in open('" << dir << "/" << p.id() << ".txt') if l.strip()]\n"
      << "k = 0; t = time.process_time()\n"
      << "while True:\n  r = pslq(x, maxcoeff=10**20, maxsteps=10**6); k += 1\n"
      << "  if time.process_time() - t >= 0.2: break\n"
      << "print('RESULT " << p.id() << "', (time.process_time() - t) / k * 1e3, ' '.join(map(str, r or [])))\n"
      << "sys.stdout.flush()\n";
  }
  s.close();
  const std::string py = access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
  return run_peer(py + " " + dir + "/pslq.py 2>/dev/null");
}

std::string cell(const Timing& t) {
  if (t.ms < 0) return "-";
  char b[64];
  std::snprintf(b, sizeof b, "%.3f%s", t.ms, t.found ? "" : " (x)");
  return b;
}

std::string ratio(const Timing& peer, const Timing& us) {
  if (peer.ms < 0 || us.ms <= 0) return "-";
  char b[32];
  std::snprintf(b, sizeof b, "%.1f", peer.ms / us.ms);
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  for (const int f : int_list("DD_REL_FAMILIES", "1,2"))
    for (const int d : int_list("DD_REL_DIGITS", "32,60"))
      for (const int n : int_list("DD_REL_N", "6,10")) problems.push_back(make(f, d, n));
  for (const auto& p : problems)
    benchmark::RegisterBenchmark(("relation/" + p.id()).c_str(), run_ours, &p)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  Collect reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  const char* peers_env = std::getenv("DD_REL_PEERS");
  const bool peers = peers_env == nullptr || std::string(peers_env) != "0";
  std::map<std::string, Timing> gp, mpm;
  char dir[] = "/tmp/dd_rel_bench_XXXXXX";
  if (peers && mkdtemp(dir) != nullptr) {
    write_inputs(dir);
    if (have("gp")) gp = run_gp(dir);
    mpm = run_mpmath(dir, int_list("DD_REL_MPMATH_MAX_N", "12").front());
    std::system((std::string("rm -rf ") + dir).c_str());
  }
  std::printf("\nTimes in ms per search; (x): the true relation was not returned.\n");
  std::printf("| family | digits | n | ddkit | lindep | lindep/ddkit | mpmath pslq | pslq/ddkit |\n");
  std::printf("|---|---|---|---|---|---|---|---|\n");
  for (const auto& p : problems) {
    const Timing us = ours[p.id()];
    const Timing l = gp.count(p.id()) ? gp[p.id()] : Timing{};
    const Timing m = mpm.count(p.id()) ? mpm[p.id()] : Timing{};
    std::printf("| %d | %d | %d | %s | %s | %s | %s | %s |\n", p.family, p.digits, p.n, cell(us).c_str(),
                cell(l).c_str(), ratio(l, us).c_str(), cell(m).c_str(), ratio(m, us).c_str());
  }
  return 0;
}
