#pragma once
// Special functions I: Bernoulli numbers, gamma, incomplete gamma, zeta,
// Hurwitz zeta, polygamma.
#include "ddspecial/bernoulli.hpp"
#include "ddspecial/gamma.hpp"
#include "ddspecial/incgamma.hpp"
#include "ddspecial/zeta.hpp"
#include "ddspecial/hurwitz.hpp"
#include "ddspecial/polygamma.hpp"
