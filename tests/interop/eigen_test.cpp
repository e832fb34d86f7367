// Eigen over DDReal: the Hilbert system of order 12, whose condition number
// is about 1.7e16, solved with partial pivoting in double and in DDReal.  In
// double nearly every digit of the solution is lost; in DDReal about 16 of the
// 32 remain.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ddtyped/eigen.hpp"
#include "ddtyped/real.hpp"

namespace {

/// Correct digits of the solution of H x = H 1 (x should be all ones), H the
/// Hilbert matrix of order n in T; written as for any floating-point T.
template <class T>
double hilbert_digits(int n) {
  using Matrix = Eigen::Matrix<T, Eigen::Dynamic, Eigen::Dynamic>;
  using Vector = Eigen::Matrix<T, Eigen::Dynamic, 1>;
  Matrix h(n, n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) h(i, j) = T(1) / T(i + j + 1);
  }
  const Vector ones = Vector::Constant(n, T(1));
  const Vector b = h * ones;
  const Vector x = h.partialPivLu().solve(b);
  using std::abs;
  T err(0);
  for (int i = 0; i < n; ++i) err = std::max(err, T(abs(x(i) - T(1))));
  return -std::log10(static_cast<double>(err));
}

TEST(interop_eigen, hilbert_system_keeps_about_sixteen_more_digits) {
  const double in_double = hilbert_digits<double>(12);
  const double in_dd = hilbert_digits<dd::DDReal>(12);
  std::printf("[ hilbert 12 ] correct digits: double %.1f, DDReal %.1f\n", in_double, in_dd);
  EXPECT_GE(in_dd - in_double, 14.0);
  EXPECT_GE(in_dd, 14.0);
}

TEST(interop_eigen, norms_and_decompositions_use_the_ddreal_functions) {
  using Matrix = Eigen::Matrix<dd::DDReal, 3, 3>;
  Matrix a;
  a << 4, 1, 0, 1, 3, 1, 0, 1, 2;
  const Eigen::LLT<Matrix> llt(a);
  ASSERT_EQ(llt.info(), Eigen::Success);
  const Matrix l = llt.matrixL();
  const Matrix back = l * l.transpose();
  EXPECT_LT(static_cast<double>((back - a).norm()), 1e-30);
  EXPECT_TRUE(back.isApprox(a));
}

}  // namespace
