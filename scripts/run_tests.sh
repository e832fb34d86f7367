#!/usr/bin/env bash
# Builds and runs the whole test suite, doing all set-up first.
#   scripts/run_tests.sh              build in build/ beside the sources
#   BUILD_DIR=/tmp/b scripts/run_tests.sh
# Extra arguments are passed to cmake at configure time (for example
# -DDD_SANITIZE=ON).  Warnings are errors.  Build and test parallelism is 2
# (override with JOBS).
set -euo pipefail

src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-${src}/build}"
jobs="${JOBS:-2}"

"${src}/scripts/setup.sh"
cmake -S "${src}" -B "${build}" -DCMAKE_BUILD_TYPE=Release -DDD_BUILD_TESTS=ON -DDD_WERROR=ON "$@"
cmake --build "${build}" -j "${jobs}"
cd "${build}"
ctest --output-on-failure -j "${jobs}"
