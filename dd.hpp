// ddkit: double-double arithmetic (about 32 significant digits from a pair of
// binary64 values), its typed interface, decimal input and output, elementary,
// complex and special functions, batch routines over spans, and the multipair
// PSLQ relation search.
//
// This umbrella header brings in the whole public interface, in namespace dd.
#pragma once

#include "ddreal/ddreal.hpp"
#include "ddio/ddio.hpp"
#include "ddelem/ddelem.hpp"
#include "ddcomplex/ddcomplex.hpp"
#include "ddspecial/ddspecial.hpp"
#include "ddtyped/real.hpp"
#include "ddtyped/elementary.hpp"
#include "ddtyped/complex.hpp"
#include "ddtyped/cmath.hpp"
#include "ddtyped/text.hpp"
#include "ddtyped/special.hpp"
#include "ddbatch/batch.hpp"
#include "pslq/pslq.hpp"
#include "pslq/find_relation.hpp"
