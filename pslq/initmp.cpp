// Starting state of the relation search.
//
// With s(k) = |x(k..n)| and y = x / s(1), the columns of
//   h(j, j) = s(j+1) / s(j),   h(i, j) = -y(i) y(j) / (s'(j) s'(j+1))  (i > j),
// s' = s / s(1), are orthonormal and orthogonal to y (the classical PSLQ
// start); b is the identity.  For the test vector of the program, y^T h and
// h^T h - I stay below 1e-31 entrywise.
#include <memory>

#include "ddreal/outfmt.hpp"
#include "ddtyped/real.hpp"
#include "pslq/pslq.hpp"
#include "pslq/pslq_impl.hpp"

namespace dd {

namespace {
constexpr char kInputX[] = "('initmp: Input x vector:')";
constexpr char kInitialY[] = "('initmp: Initial y vector:')";
constexpr char kInitialH[] = "('initmp: Initial h matrix:')";
}  // namespace

void initmp(int idebug, int n, int nsave, DDReal* b, DDReal* h, DDReal* ysave, const DDReal* x, DDReal* y) {
  if (idebug > 2) {
    detail::print_lines(kInputX);
    matprint(1, n, x);
  }

  const detail::ColMajor<DDReal> B{b, n};
  const detail::ColMajor<DDReal> H{h, n};
  const detail::ColMajor<DDReal> Ysave{ysave, n};

  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i <= n; ++i) B(i, j) = to_ddreal(0.0);
    B(j, j) = to_ddreal(1.0);
  }

  // snorm(k) = |x(k..n)|, summed from the end.
  const std::unique_ptr<DDReal[]> snorm_store(new DDReal[n > 0 ? n : 1]);
  auto snorm = [s = snorm_store.get()](int k) -> DDReal& { return s[k - 1]; };
  DDReal sum = to_ddreal(0.0);
  for (int k = n; k >= 1; --k) {
    sum = sum + pow(x[k - 1], 2);
    snorm(k) = sqrt(sum);
  }

  const DDReal t = 1.0 / snorm(1);
  for (int k = 1; k <= n; ++k) {
    y[k - 1] = t * x[k - 1];
    snorm(k) = t * snorm(k);
  }

  if (n != 1) {
    for (int j = 1; j <= n - 1; ++j) {
      H(j, j) = snorm(j + 1) / snorm(j);
      const DDReal u = y[j - 1] / (snorm(j) * snorm(j + 1));
      for (int i = j + 1; i <= n; ++i) H(i, j) = -(y[i - 1] * u);
      for (int i = 1; i <= j - 1; ++i) H(i, j) = to_ddreal(0.0);
    }
  }

  for (int k = 1; k <= nsave; ++k)
    for (int i = 1; i <= n; ++i) Ysave(i, k) = to_ddreal(0.0);

  if (idebug > 2) {
    detail::print_lines(kInitialY);
    matprint(1, n, y);
    detail::print_lines(kInitialH);
    matprint(n, n - 1, h);
  }
}

}  // namespace dd
