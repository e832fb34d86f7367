#!/usr/bin/env bash
# Builds and runs the integer relation test program, doing all set-up first.
#   scripts/run_program.sh            build in build/ beside the sources
#   BUILD_DIR=/tmp/b scripts/run_program.sh
# The program's exit status is this script's exit status.
set -euo pipefail

src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-${src}/build}"
jobs="${JOBS:-2}"

"${src}/scripts/setup.sh" >&2
cmake -S "${src}" -B "${build}" -DCMAKE_BUILD_TYPE=Release >&2
cmake --build "${build}" -j "${jobs}" --target pslqm1_test >&2
exec "${build}/pslqm1_test"
