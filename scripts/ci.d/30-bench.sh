#!/usr/bin/env bash
# CI stage: the benchmarks still build and run.  Every bench/*.cpp is built in
# both variants (-O2 and -O3 -march=native) in the Release tree of the test
# step, then each program runs every benchmark once, briefly: this checks that
# they work, not how fast (timings on a shared CI machine mean little).
set -euo pipefail

src="${DD_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
build="${DD_BUILD_DIR:-${src}/build}"
jobs="${JOBS:-2}"

say() { echo "30-bench: $*"; }

targets=()
for f in "${src}"/bench/*.cpp; do
  name="$(basename "${f}" .cpp)"
  targets+=("${name}" "${name}_native")
done
if [[ ${#targets[@]} -eq 0 ]]; then
  say "no benchmarks"
  exit 0
fi

# The peers that only the benchmarks measure (Arb).
"${src}/scripts/setup.sh" "${src}/scripts/bench-packages.txt" || say "bench peers not installed: bench_batch runs without Arb"

say "building ${targets[*]}"
cmake -S "${src}" -B "${build}" -DDD_BUILD_BENCH=ON >/dev/null
cmake --build "${build}" -j "${jobs}" --target "${targets[@]}" >"${build}/bench-build.log" 2>&1 ||
  { tail -n 60 "${build}/bench-build.log"; say "build failed"; exit 1; }

status=0
for t in "${targets[@]}"; do
  log="${build}/bench/${t}.ci.log"
  if timeout 300 "${build}/bench/${t}" --benchmark_min_time=0.001 >"${log}" 2>&1; then
    say "${t}: $(grep -cE '^[A-Za-z_][^ ]* +[0-9.]+ (ns|us|ms|s) ' "${log}" || true) benchmarks ran"
  else
    tail -n 30 "${log}"
    say "${t}: FAILED"
    status=1
  fi
done
exit "${status}"
