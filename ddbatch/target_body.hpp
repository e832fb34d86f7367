// The batch routines of one instruction-set target: loops that take the
// elements W at a time into lanes (the last, partial group through a padded
// copy; gamma, and the logarithm in AVX2 and AVX-512 lanes, two groups at a
// time, whose long dependent chains then overlap) and the table that
// collects them.  Included once by each target's
// translation unit after it has defined DD_LANES, DD_LANES_NS,
// DD_LANES_TABLE (the name of the function that returns the table) and
// DD_LANES_PSLQ (1 where the relation search's steps gain from the lanes),
// and DD_LANES_PSLQ_CORNER and DD_LANES_PSLQ_REDUCE where those steps are
// taken from elsewhere.
//
// Every group's arguments are copied into lanes before any result of the
// group is written, so outputs may share storage with inputs.  Lanes that
// leave the common path are recomputed by the scalar routine from the copy,
// in element order, after the lanes before them are stored: a refused
// element stops (or throws) just as a loop over the scalar routine would.
#pragma once

#include <cstddef>
#include <type_traits>

#include "ddbatch/lanes_elem.hpp"
#include "ddbatch/lanes_pslq.hpp"
#include "ddbatch/lanes_special.hpp"
#include "ddbatch/scalar.hpp"
#include "ddbatch/target.hpp"

namespace dd::batch::detail::DD_LANES_NS {

/// The arguments of one group: lanes, the mask of lanes in use (all but the
/// padding of the last group) and the count.
struct Group {
  Vi live;
  int count;
};

/// Runs body(group, start) over n elements in groups of W; load(i, padded)
/// and the routine's own loads are done inside body.
template <class Body>
inline void for_groups(std::size_t n, Body body) {
  std::size_t i = 0;
  for (; i + W <= n; i += W) body(Group{mask_true(), W}, i);
  if (i < n) {
    Vi live = Vi{};
    const int count = static_cast<int>(n - i);
    for (int k = 0; k < count; ++k) live[k] = -1;
    body(Group{live, count}, i);
  }
}

/// Copies count DDReal (or binary64) values starting at p into a full
/// group's storage, padded with `pad`.
template <class T>
inline void pad_copy(const T* p, int count, T pad, T (&buf)[W]) {
  for (int k = 0; k < W; ++k) buf[k] = k < count ? p[k] : pad;
}

template <class T>
inline auto load_group(const T* p, const Group& g, T pad) {
  if (g.count == W) return load(p);
  T buf[W];
  pad_copy(p, g.count, pad, buf);
  return load(buf);
}

/// Stores the first count lanes of x at p (and of y at q, when q is not
/// null); where a lane is slow, the scalar routine fix(k) writes that element
/// instead, in element order.
template <class Fix>
inline void store_group(DDReal* p, DDReal* q, const Group& g, const DD& x, const DD& y, Vi slow, Fix fix) {
  if (g.count == W && !any(slow)) {
    store(p, x);
    if (q != nullptr) store(q, y);
    return;
  }
  for (int k = 0; k < g.count; ++k) {
    if (lane(slow, k)) {
      call_scalar([&] { fix(k); });
    } else {
      p[k] = get(x, k);
      if (q != nullptr) q[k] = get(y, k);
    }
  }
}

template <class Fix>
inline void store_group(DDReal* p, const Group& g, const DD& x, Vi slow, Fix fix) {
  store_group(p, nullptr, g, x, x, slow, fix);
}

const DDReal kPad(1.0, 0.0);



// ---- kernels: no lane leaves the common path ------------------------------------

inline DD apply(Op op, const DD& a, const DD& b) noexcept {
  switch (op) {
    case kAdd: return add(a, b);
    case kSub: return sub(a, b);
    case kMul: return mul(a, b);
    default: return div(a, b);
  }
}

template <int op>
void kernel_dd_dd(const DDReal* a, const DDReal* b, DDReal* r, std::size_t n) {
  const LeaveClean clean;
  for_groups(n, [&](const Group& g, std::size_t i) {
    const DD x = load_group(a + i, g, kPad), y = load_group(b + i, g, kPad);
    store_group(r + i, g, apply(static_cast<Op>(op), x, y), Vi{}, [](int) {});
  });
}

template <int op>
void kernel_dd_d(const DDReal* a, const double* b, DDReal* r, std::size_t n) {
  const LeaveClean clean;
  for_groups(n, [&](const Group& g, std::size_t i) {
    const DD x = load_group(a + i, g, kPad);
    const Vd d = load_group(b + i, g, 1.0);
    DD z;
    if constexpr (op == kMul) {
      z = muld(x, d);
    } else if constexpr (op == kDiv) {
      z = divd(x, d);
    } else {
      z = apply(static_cast<Op>(op), x, DD{d, Vd{}});
    }
    store_group(r + i, g, z, Vi{}, [](int) {});
  });
}

template <int op>
void kernel_d_dd(const double* a, const DDReal* b, DDReal* r, std::size_t n) {
  const LeaveClean clean;
  for_groups(n, [&](const Group& g, std::size_t i) {
    const Vd d = load_group(a + i, g, 1.0);
    const DD y = load_group(b + i, g, kPad);
    const DD z = op == kMul ? muld(y, d) : apply(static_cast<Op>(op), DD{d, Vd{}}, y);
    store_group(r + i, g, z, Vi{}, [](int) {});
  });
}

void sqrt_all(const DDReal* a, DDReal* r, std::size_t n) {
  const LeaveClean clean;
  for_groups(n, [&](const Group& g, std::size_t i) {
    store_group(r + i, g, sqrt(load_group(a + i, g, kPad)), Vi{}, [](int) {});
  });
}

// ---- functions: slow lanes go to the scalar routine -------------------------------

/// r[i] = f(a[i]) with lanes(x, live, slow) and the scalar routine s(a, r).
template <class Lanes, class Scalar>
inline void unary_fn(const DDReal* a, DDReal* r, std::size_t n, Lanes lanes, Scalar s) {
  for_groups(n, [&](const Group& g, std::size_t i) {
    DDReal in[W];
    pad_copy(a + i, g.count, kPad, in);
    Vi slow = Vi{};
    const DD y = lanes(load(in), g.live, slow);
    store_group(r + i, g, y, slow, [&](int k) { s(in[k], r[i + k]); });
  });
}

/// As unary_fn, two groups at a time: lanes2(x, live, slow, y) takes arrays
/// of two groups, whose latency-bound chains then overlap; the rest (fewer
/// than 2 W elements) goes through unary_fn with lanes.
template <class Lanes2, class Lanes, class Scalar>
inline void unary_fn_pairs(const DDReal* a, DDReal* r, std::size_t n, Lanes2 lanes2, Lanes lanes, Scalar s) {
  std::size_t i = 0;
  for (; i + 2 * W <= n; i += 2 * W) {
    DDReal in[2 * W];
    for (int k = 0; k < 2 * W; ++k) in[k] = a[i + k];
    const DD x[2] = {load(in), load(in + W)};
    const Vi live[2] = {mask_true(), mask_true()};
    Vi slow[2] = {Vi{}, Vi{}};
    DD y[2];
    lanes2(x, live, slow, y);
    for (int g = 0; g < 2; ++g) {
      const std::size_t at = i + static_cast<std::size_t>(g * W);
      store_group(r + at, Group{mask_true(), W}, y[g], slow[g], [&](int k) { s(in[g * W + k], r[at + k]); });
    }
  }
  unary_fn(a + i, r + i, n - i, lanes, s);
}

template <class Lanes, class Scalar>
inline void binary_fn(const DDReal* a, const DDReal* b, DDReal* r, std::size_t n, Lanes lanes, Scalar s) {
  for_groups(n, [&](const Group& g, std::size_t i) {
    DDReal in1[W], in2[W];
    pad_copy(a + i, g.count, kPad, in1);
    pad_copy(b + i, g.count, kPad, in2);
    Vi slow = Vi{};
    const DD y = lanes(load(in1), load(in2), g.live, slow);
    store_group(r + i, g, y, slow, [&](int k) { s(in1[k], in2[k], r[i + k]); });
  });
}

template <class Lanes, class Scalar>
inline void two_results_fn(const DDReal* a, DDReal* r1, DDReal* r2, std::size_t n, Lanes lanes, Scalar s) {
  for_groups(n, [&](const Group& g, std::size_t i) {
    DDReal in[W];
    pad_copy(a + i, g.count, kPad, in);
    Vi slow = Vi{};
    DD y1, y2;
    lanes(load(in), g.live, slow, y1, y2);
    store_group(r1 + i, r2 + i, g, y1, y2, slow, [&](int k) { s(in[k], r1[i + k], r2[i + k]); });
  });
}

/// As unary_fn, for routines whose loops run a number of steps that depends
/// on the argument: the elements of each chunk are put into lanes in the
/// order of bin(a) (a count of steps, 0 to kBins - 1), so that the lanes of
/// a group stop at about the same step; the results are then written in
/// element order, the slow lanes through the scalar routine.
constexpr int kBins = 16;
constexpr int kChunk = 256;

/// lanes2, where it is not null, takes two groups at a time (arrays of two,
/// as in unary_fn_pairs) while a chunk has 2 W elements left.
template <class Lanes, class Scalar, class Bin, class Lanes2 = std::nullptr_t>
inline void unary_fn_binned(const DDReal* a, DDReal* r, std::size_t n, Lanes lanes, Scalar s, Bin bin,
                            Lanes2 lanes2 = nullptr) {
  for (std::size_t c = 0; c < n; c += kChunk) {
    const int m = static_cast<int>(n - c < static_cast<std::size_t>(kChunk) ? n - c : kChunk);
    DDReal in[kChunk], out[kChunk];
    bool slow_at[kChunk];
    int order[kChunk], start[kBins + 1] = {};
    unsigned char b[kChunk];
    for (int i = 0; i < m; ++i) {
      in[i] = a[c + i];
      b[i] = static_cast<unsigned char>(bin(in[i]));
      ++start[b[i] + 1];
    }
    for (int k = 0; k < kBins; ++k) start[k + 1] += start[k];
    for (int i = 0; i < m; ++i) order[start[b[i]]++] = i;
    int done = 0;
    if constexpr (!std::is_same_v<Lanes2, std::nullptr_t>) {
      for (; done + 2 * W <= m; done += 2 * W) {
        DDReal x[2 * W];
        for (int k = 0; k < 2 * W; ++k) x[k] = in[order[done + k]];
        const DD xs[2] = {load(x), load(x + W)};
        const Vi live[2] = {mask_true(), mask_true()};
        Vi slow[2] = {Vi{}, Vi{}};
        DD y[2];
        lanes2(xs, live, slow, y);
        for (int k = 0; k < 2 * W; ++k) {
          out[order[done + k]] = get(y[k / W], k % W);
          slow_at[order[done + k]] = lane(slow[k / W], k % W);
        }
      }
    }
    for_groups(static_cast<std::size_t>(m - done), [&](const Group& g, std::size_t i) {
      i += static_cast<std::size_t>(done);
      DDReal x[W];
      for (int k = 0; k < W; ++k) x[k] = k < g.count ? in[order[i + k]] : kPad;
      Vi slow = Vi{};
      const DD y = lanes(load(x), g.live, slow);
      for (int k = 0; k < g.count; ++k) {
        out[order[i + k]] = get(y, k);
        slow_at[order[i + k]] = lane(slow, k);
      }
    });
    for (int i = 0; i < m; ++i) {
      if (slow_at[i]) {
        call_scalar([&] { s(in[i], r[c + i]); });
      } else {
        r[c + i] = out[i];
      }
    }
  }
}

void exp_all(const DDReal* a, DDReal* r, std::size_t n) {
  const LeaveClean clean;
  unary_fn(a, r, n, [](const DD& x, Vi live, Vi& slow) { return exp(x, live, slow); }, scalar::exp);
}

/// Two groups at a time where the lanes are whole registers (AVX2, AVX-512);
/// the portable lanes on the x86-64 baseline hold each vector in two SSE
/// registers, and two groups' state then spills (their logarithm was 12%
/// slower so).
void log_all(const DDReal* a, DDReal* r, std::size_t n) {
  const LeaveClean clean;
  const auto one = [](const DD& x, Vi live, Vi& slow) { return log(x, live, slow); };
#if defined(__AVX__)
  unary_fn_pairs(
      a, r, n, [](const DD* x, const Vi* live, Vi* slow, DD* y) { log_groups<2>(x, live, slow, y); }, one,
      scalar::log);
#else
  unary_fn(a, r, n, one, scalar::log);
#endif
}

void pow_all(const DDReal* a, const DDReal* b, DDReal* r, std::size_t n) {
  const LeaveClean clean;
  binary_fn(a, b, r, n, [](const DD& x, const DD& y, Vi live, Vi& slow) { return pow(x, y, live, slow); },
            scalar::pow);
}

void cos_sin_all(const DDReal* a, DDReal* c, DDReal* s, std::size_t n) {
  const LeaveClean clean;
  two_results_fn(a, c, s, n, [](const DD& x, Vi live, Vi& slow, DD& y1, DD& y2) { cos_sin(x, live, slow, y1, y2); },
                 scalar::cos_sin);
}

/// r[i] = atan2(y[i], x[i]), the angle of the point (x[i], y[i]).
void atan2_all(const DDReal* y, const DDReal* x, DDReal* r, std::size_t n) {
  const LeaveClean clean;
  binary_fn(y, x, r, n, [](const DD& yv, const DD& xv, Vi live, Vi& slow) { return angle(xv, yv, live, slow); },
            scalar::atan2);
}

void cosh_sinh_all(const DDReal* a, DDReal* c, DDReal* s, std::size_t n) {
  const LeaveClean clean;
  two_results_fn(a, c, s, n, [](const DD& x, Vi live, Vi& slow, DD& y1, DD& y2) { cosh_sinh(x, live, slow, y1, y2); },
                 scalar::cosh_sinh);
}

/// The series of erf runs about 6 z^2 + 40 terms: bins of |z| by halves.
void erf_all(const DDReal* a, DDReal* r, std::size_t n) {
  const LeaveClean clean;
  unary_fn_binned(
      a, r, n, [](const DD& x, Vi live, Vi& slow) { return erf(x, live, slow); }, scalar::erf,
      [](const DDReal& x) {
        const double t = std::fabs(x.hi) * 2.0;
        return t < kBins - 1 ? static_cast<int>(t) : kBins - 1;  // NaN to the last bin
      });
}

/// The recurrence of Gamma runs |t| steps: bins of |t| by units.
void gamma_all(const DDReal* a, DDReal* r, std::size_t n) {
  const LeaveClean clean;
  static const DDReal l28 = [] {
    DDReal v;
    scalar::log(DDReal(28.0, 0.0), v);
    return v;
  }();
  const auto sine = [](const DDReal& x) {
    DDReal c, s;
    call_scalar([&] { scalar::cos_sin(x, c, s); });
    return s;
  };
  unary_fn_binned(
      a, r, n, [&](const DD& x, Vi live, Vi& slow) { return gamma(x, live, slow, l28, sine); }, scalar::gamma,
      [](const DDReal& x) {
        const double t = std::fabs(x.hi);
        return t < kBins - 1 ? static_cast<int>(t) : kBins - 1;
      },
      [&](const DD* x, const Vi* live, Vi* slow, DD* y) {
        GammaLanes g[2] = {gamma_start(x[0], live[0], slow[0]), gamma_start(x[1], live[1], slow[1])};
        gamma_series<2>(g, slow);
        for (int k = 0; k < 2; ++k) y[k] = gamma_finish(g[k], slow[k], l28, sine);
      });
}

#if DD_LANES_PSLQ
#if !defined(DD_LANES_PSLQ_CORNER)
void pslq_corner(DDReal* h, int n, const int* ipair, int npairs) {
  const LeaveClean clean;
  corner(h, n, ipair, npairs);
}
#endif

#if !defined(DD_LANES_PSLQ_REDUCE)
void pslq_reduce(DDReal* h, DDReal* tmat, DDReal* y, int n, double* scratch, int* nonzero) {
  const LeaveClean clean;
  reduce(h, tmat, y, n, scratch, nonzero);
}
#endif
#endif

}  // namespace dd::batch::detail::DD_LANES_NS

namespace dd::batch::detail {

const Table& DD_LANES_TABLE() noexcept {
  namespace L = DD_LANES_NS;
  static const Table t = [] {
    Table s = scalar_table();
    s.name = DD_LANES_NAME;
    s.dd_dd[kAdd] = L::kernel_dd_dd<kAdd>;
    s.dd_dd[kSub] = L::kernel_dd_dd<kSub>;
    s.dd_dd[kMul] = L::kernel_dd_dd<kMul>;
    s.dd_dd[kDiv] = L::kernel_dd_dd<kDiv>;
    s.dd_d[kAdd] = L::kernel_dd_d<kAdd>;
    s.dd_d[kSub] = L::kernel_dd_d<kSub>;
    s.dd_d[kMul] = L::kernel_dd_d<kMul>;
    s.dd_d[kDiv] = L::kernel_dd_d<kDiv>;
    s.d_dd[kAdd] = L::kernel_d_dd<kAdd>;
    s.d_dd[kSub] = L::kernel_d_dd<kSub>;
    s.d_dd[kMul] = L::kernel_d_dd<kMul>;
    s.d_dd[kDiv] = L::kernel_d_dd<kDiv>;
    s.sqrt = L::sqrt_all;
    s.exp = L::exp_all;
    s.log = L::log_all;
    s.pow = L::pow_all;
    s.cos_sin = L::cos_sin_all;
    s.atan2 = L::atan2_all;
    s.cosh_sinh = L::cosh_sinh_all;
    s.erf = L::erf_all;
    s.gamma = L::gamma_all;
#if DD_LANES_PSLQ
#if defined(DD_LANES_PSLQ_CORNER)
    s.pslq_corner = DD_LANES_PSLQ_CORNER;
#else
    s.pslq_corner = L::pslq_corner;
#endif
#if defined(DD_LANES_PSLQ_REDUCE)
    s.pslq_reduce = DD_LANES_PSLQ_REDUCE;
#else
    s.pslq_reduce = L::pslq_reduce;
#endif
#endif
    return s;
  }();
  return t;
}

}  // namespace dd::batch::detail
