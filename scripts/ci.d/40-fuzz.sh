#!/usr/bin/env bash
# Fuzzing stage: builds the libFuzzer targets of fuzz/ with clang
# (AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for a bounded
# time (DD_FUZZ_SECONDS, 60 by default) from its committed seed corpus.
# New corpus entries go to a scratch folder; the committed corpus is only read.
# A crash, a sanitizer report, a hang of more than 10 s or an unexpected stop
# message fails the stage and prints the end of the log; the input that did it
# is left as build-fuzz/fuzz_<name>_crash-*.  Needs clang and libclang-rt-14-dev
# (scripts/packages.txt); installs nothing.
set -euo pipefail

src="${DD_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
build="${src}/build-fuzz"
secs="${DD_FUZZ_SECONDS:-60}"
jobs="${JOBS:-2}"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "40-fuzz: clang++ is not installed (scripts/packages.txt lists clang)" >&2
  exit 1
fi

mkdir -p "${build}"
echo "40-fuzz: configuring ${build}"
cmake -S "${src}" -B "${build}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DDD_BUILD_TESTS=OFF -DDD_BUILD_FUZZERS=ON >"${build}/configure.log" 2>&1 || {
  cat "${build}/configure.log"
  exit 1
}
echo "40-fuzz: building dd_fuzz_input dd_fuzz_format (log ${build}/build.log)"
cmake --build "${build}" -j "${jobs}" --target dd_fuzz_input dd_fuzz_format >"${build}/build.log" 2>&1 || {
  tail -n 60 "${build}/build.log"
  exit 1
}

status=0
for name in input format; do
  scratch="$(mktemp -d)"
  log="${build}/fuzz_${name}.log"
  echo "40-fuzz: dd_fuzz_${name} for ${secs} s from fuzz/corpus/${name}"
  if "${build}/fuzz/dd_fuzz_${name}" -max_total_time="${secs}" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="${build}/fuzz_${name}_" \
       "${scratch}" "${src}/fuzz/corpus/${name}" >"${log}" 2>&1; then
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "${log}")"
    echo "40-fuzz: dd_fuzz_${name}: ${runs:-?} executions, no finding"
  else
    echo "40-fuzz: dd_fuzz_${name}: FINDING (log ${log}); its end:"
    tail -n 40 "${log}"
    status=1
  fi
  rm -rf "${scratch}"
done
exit "${status}"
