// The choice of target at run time, and the span entries that forward to it.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <span>

#include "ddbatch/batch.hpp"
#include "ddbatch/target.hpp"
#include "ddreal/outfmt.hpp"

namespace dd::batch {

namespace {

constexpr char kLengths[] = "('*** dd::batch: the spans of a call differ in length.')";

bool cpu_has(target t) noexcept {
#if defined(DD_BATCH_X86)
  __builtin_cpu_init();
  switch (t) {
    case target::avx2: return __builtin_cpu_supports("avx2");
    case target::avx512: return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
    default: return true;
  }
#else
  return t == target::scalar || t == target::generic;
#endif
}

const detail::Table& table_of(target t) noexcept {
  switch (t) {
    case target::scalar: return detail::scalar_table();
#if defined(DD_BATCH_X86)
    case target::avx2: return detail::avx2_table();
    case target::avx512: return detail::avx512_table();
#endif
    default: return detail::generic_table();
  }
}

/// The widest target the CPU offers, or the one DD_SIMD names (when it can run).
target initial_target() noexcept {
  if (const char* env = std::getenv("DD_SIMD")) {
    for (target t : {target::scalar, target::generic, target::avx2, target::avx512}) {
      if (std::strcmp(env, name(t)) == 0 && cpu_has(t)) return t;
    }
  }
  for (target t : {target::avx512, target::avx2}) {
    if (cpu_has(t)) return t;
  }
  return target::generic;
}

struct Choice {
  std::atomic<target> current{initial_target()};
};

Choice& choice() noexcept {
  static Choice c;
  return c;
}

const detail::Table& table() noexcept { return table_of(choice().current.load(std::memory_order_relaxed)); }

void same_length(std::size_t a, std::size_t b) {
  if (a != b) dd::detail::fail(kLengths);
}

}  // namespace

const detail::Table& detail::active_table() noexcept { return table(); }

bool available(target t) noexcept { return cpu_has(t); }

target active() noexcept { return choice().current.load(std::memory_order_relaxed); }

bool use(target t) noexcept {
  if (!cpu_has(t)) return false;
  choice().current.store(t, std::memory_order_relaxed);
  return true;
}

const char* name(target t) noexcept {
  switch (t) {
    case target::scalar: return "scalar";
    case target::generic: return "generic";
    case target::avx2: return "avx2";
    case target::avx512: return "avx512";
  }
  return "unknown";
}

// ---- the entries ---------------------------------------------------------------------

#define DD_BATCH_KERNEL(NAME, OP)                                                           \
  void NAME(std::span<const DDReal> a, std::span<const DDReal> b, std::span<DDReal> r) {    \
    same_length(a.size(), b.size());                                                        \
    same_length(a.size(), r.size());                                                        \
    table().dd_dd[OP](a.data(), b.data(), r.data(), r.size());                              \
  }                                                                                         \
  void NAME(std::span<const DDReal> a, std::span<const double> d, std::span<DDReal> r) {    \
    same_length(a.size(), d.size());                                                        \
    same_length(a.size(), r.size());                                                        \
    table().dd_d[OP](a.data(), d.data(), r.data(), r.size());                               \
  }                                                                                         \
  void NAME(std::span<const double> d, std::span<const DDReal> b, std::span<DDReal> r) {    \
    same_length(d.size(), b.size());                                                        \
    same_length(d.size(), r.size());                                                        \
    table().d_dd[OP](d.data(), b.data(), r.data(), r.size());                               \
  }

DD_BATCH_KERNEL(add, detail::kAdd)
DD_BATCH_KERNEL(sub, detail::kSub)
DD_BATCH_KERNEL(mul, detail::kMul)
DD_BATCH_KERNEL(div, detail::kDiv)
#undef DD_BATCH_KERNEL

void sqrt(std::span<const DDReal> a, std::span<DDReal> r) {
  same_length(a.size(), r.size());
  table().sqrt(a.data(), r.data(), r.size());
}

void exp(std::span<const DDReal> a, std::span<DDReal> r) {
  same_length(a.size(), r.size());
  table().exp(a.data(), r.data(), r.size());
}

void log(std::span<const DDReal> a, std::span<DDReal> r) {
  same_length(a.size(), r.size());
  table().log(a.data(), r.data(), r.size());
}

void pow(std::span<const DDReal> a, std::span<const DDReal> b, std::span<DDReal> r) {
  same_length(a.size(), b.size());
  same_length(a.size(), r.size());
  table().pow(a.data(), b.data(), r.data(), r.size());
}

void cos_sin(std::span<const DDReal> a, std::span<DDReal> c, std::span<DDReal> s) {
  same_length(a.size(), c.size());
  same_length(a.size(), s.size());
  table().cos_sin(a.data(), c.data(), s.data(), a.size());
}

void atan2(std::span<const DDReal> y, std::span<const DDReal> x, std::span<DDReal> r) {
  same_length(y.size(), x.size());
  same_length(y.size(), r.size());
  table().atan2(y.data(), x.data(), r.data(), r.size());
}

void cosh_sinh(std::span<const DDReal> a, std::span<DDReal> c, std::span<DDReal> s) {
  same_length(a.size(), c.size());
  same_length(a.size(), s.size());
  table().cosh_sinh(a.data(), c.data(), s.data(), a.size());
}

void erf(std::span<const DDReal> a, std::span<DDReal> r) {
  same_length(a.size(), r.size());
  table().erf(a.data(), r.data(), r.size());
}

void gamma_fn(std::span<const DDReal> a, std::span<DDReal> r) {
  same_length(a.size(), r.size());
  table().gamma(a.data(), r.data(), r.size());
}

}  // namespace dd::batch
