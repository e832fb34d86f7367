// Kernels over arrays in a user's loop compiled with -O3 -march=native.
#pragma once

#include "ddreal/kernels.hpp"

namespace dd::bench::native {

void add(const DDReal* a, const DDReal* b, DDReal* r, int n);
void mul(const DDReal* a, const DDReal* b, DDReal* r, int n);
void div(const DDReal* a, const DDReal* b, DDReal* r, int n);
void sqrt(const DDReal* a, DDReal* r, int n);

}  // namespace dd::bench::native
