#!/usr/bin/env bash
# CI stage: the same bits with another compiler.
#
#   1. Configure, build and run the whole test suite with Clang (Release,
#      warnings as errors) in build-clang/, with every compile command
#      checked for -ffp-contract=off (Clang contracts a*b+c into a fused
#      multiply-add by default).
#   2. Compare the bit-exactness fingerprint of the Clang programs (-O0 and
#      -O3 -march=native) with the GCC program of the test step, line for line.
#
# Needs clang (scripts/packages.txt); installs nothing.
set -euo pipefail

src="${DD_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
gcc_build="${DD_BUILD_DIR:-${src}/build}"
build="${src}/build-clang"
jobs="${JOBS:-2}"

say() { echo "20-clang: $*"; }

command -v clang++ >/dev/null 2>&1 || { say "clang++ is not installed (scripts/packages.txt lists clang)"; exit 1; }

say "configuring ${build}"
mkdir -p "${build}"
cmake -S "${src}" -B "${build}" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
  -DDD_BUILD_TESTS=ON -DDD_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >"${build}/configure.log" 2>&1 ||
  { cat "${build}/configure.log"; exit 1; }

# One line per compile command in compile_commands.json.
missing="$(grep '"command":' "${build}/compile_commands.json" | grep -v -- '-ffp-contract=off' || true)"
[[ -z "${missing}" ]] || { say "compile commands without -ffp-contract=off:"; echo "${missing}" | head; exit 1; }
say "all $(grep -c '"command":' "${build}/compile_commands.json") compile commands have -ffp-contract=off"

say "building (log ${build}/build.log)"
cmake --build "${build}" -j "${jobs}" >"${build}/build.log" 2>&1 || { tail -n 60 "${build}/build.log"; exit 1; }

say "running the test suite"
(cd "${build}" && ctest -j "${jobs}" --output-on-failure --timeout 600) || { say "test suite failed"; exit 1; }

# The GCC fingerprint: written by the test step's bitexact test, else made here.
gcc_out="${gcc_build}/tests/bitexact/dd_bitexact_O0.txt"
if [[ ! -s "${gcc_out}" ]]; then
  say "no GCC fingerprint in ${gcc_build}: building it with the default compiler"
  cmake -S "${src}" -B "${gcc_build}" -DDD_BUILD_TESTS=ON >/dev/null
  cmake --build "${gcc_build}" -j "${jobs}" --target dd_bitexact_O0 >/dev/null
  "${gcc_build}/tests/bitexact/dd_bitexact_O0" >"${gcc_out}"
fi

status=0
for variant in O0 O3native; do
  out="${build}/tests/bitexact/dd_bitexact_${variant}.txt"
  [[ -s "${out}" ]] || "${build}/tests/bitexact/dd_bitexact_${variant}" >"${out}"
  if cmp -s "${gcc_out}" "${out}"; then
    say "GCC -O0 and Clang ${variant} agree bit for bit ($(wc -l <"${out}") lines)"
  else
    say "GCC -O0 and Clang ${variant} differ; first differences:"
    diff "${gcc_out}" "${out}" | head -n 20 || true
    status=1
  fi
done
exit "${status}"
