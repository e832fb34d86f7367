// Eigen::NumTraits<dd::DDReal>: dense matrices, decompositions and solvers of
// Eigen over double-double numbers.  Optional: include it after (or instead
// of) <Eigen/Core>; the library itself does not need Eigen.
//
//   #include <Eigen/Dense>
//   #include "ddtyped/eigen.hpp"
//   using MatrixDD = Eigen::Matrix<dd::DDReal, Eigen::Dynamic, Eigen::Dynamic>;
//   VectorDD x = a.partialPivLu().solve(b);
//
// Eigen finds abs, sqrt, isfinite and the other scalar functions through
// argument-dependent lookup in namespace dd (ddtyped/cmath.hpp).
#pragma once

#include <Eigen/Core>
#include <limits>

#include "ddreal/kernels.hpp"
#include "ddtyped/cmath.hpp"
#include "ddtyped/elementary.hpp"
#include "ddtyped/real.hpp"

namespace Eigen {

template <>
struct NumTraits<dd::DDReal> : GenericNumTraits<dd::DDReal> {
  using Real = dd::DDReal;
  using NonInteger = dd::DDReal;
  using Nested = dd::DDReal;
  using Literal = dd::DDReal;

  enum {
    IsComplex = 0,
    IsInteger = 0,
    IsSigned = 1,
    // Uninitialised like a double: no constructor needs to run.
    RequireInitialization = 0,
    // In binary64 operations: two words to read, an addition of about 20
    // operations, a multiplication of about 25.
    ReadCost = 2,
    AddCost = 20,
    MulCost = 25
  };

  static constexpr Real epsilon() noexcept { return std::numeric_limits<Real>::epsilon(); }
  /// The tolerance of Eigen's approximate comparisons (isApprox, rank
  /// decisions): epsilon^(3/4), as Eigen's 1e-12 is for double.
  static constexpr Real dummy_precision() noexcept { return Real(1e-24); }
  static constexpr int digits10() noexcept { return std::numeric_limits<Real>::digits10; }
  static constexpr int digits() noexcept { return std::numeric_limits<Real>::digits; }
  static constexpr Real highest() noexcept { return (std::numeric_limits<Real>::max)(); }
  static constexpr Real lowest() noexcept { return std::numeric_limits<Real>::lowest(); }
  static constexpr Real infinity() noexcept { return std::numeric_limits<Real>::infinity(); }
  static constexpr Real quiet_NaN() noexcept { return std::numeric_limits<Real>::quiet_NaN(); }
};

}  // namespace Eigen
