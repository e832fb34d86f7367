#pragma once
// Special functions I: Bernoulli numbers, gamma, incomplete gamma, zeta,
// Hurwitz zeta, polygamma.
#include "ddspecial/bernoulli.hpp"
#include "ddspecial/gamma.hpp"
#include "ddspecial/incgamma.hpp"
#include "ddspecial/zeta.hpp"
#include "ddspecial/hurwitz.hpp"
#include "ddspecial/polygamma.hpp"
// Special functions II: polylogarithm, error functions, Bessel, Struve, hypergeometric.
#include "ddspecial/polylog.hpp"
#include "ddspecial/erf.hpp"
#include "ddspecial/bessel.hpp"
#include "ddspecial/struve.hpp"
#include "ddspecial/hypergeom.hpp"
