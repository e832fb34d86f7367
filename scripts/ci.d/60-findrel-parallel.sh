#!/usr/bin/env bash
# CI stage: the README's recipe for spreading a large findrel batch over
# several machines with GNU parallel, run here with this machine as the only
# host (-S 2/:).  Writes 60 problem files (pi, e, pi + k e at 40 digits,
# k = 1..60), solves them in chunks of 16 files per findrel --batch, and
# checks one result line per file, in input order, each with the relation
# (-1, -k, 1) or its negative.
set -euo pipefail

src="${DD_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
build="${DD_BUILD_DIR:-${src}/build}"
findrel="${build}/tools/findrel/findrel"
say() { echo "60-findrel-parallel: $*"; }

command -v parallel >/dev/null || { say "GNU parallel is missing (scripts/setup.sh installs it)"; exit 1; }
[[ -x "${findrel}" ]] || cmake --build "${build}" -j "${JOBS:-2}" --target findrel >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "${work}"' EXIT
mkdir "${work}/problems"
for k in $(seq 1 60); do
  printf -v name '%s/problems/p%03d.txt' "${work}" "${k}"
  {
    echo "3.141592653589793238462643383279502884197"
    echo "2.718281828459045235360287471352662497757"
    echo "scale=45; pi = 3.14159265358979323846264338327950288419716939937; e = 2.71828182845904523536028747135266249775724709369; pi + ${k} * e" | bc
  } > "${name}"
done
# Round the third number to 40 significant digits like the others.
for f in "${work}"/problems/*.txt; do
  awk 'NR < 3 { print; next } { printf "%.40s\n", $0 }' "${f}" > "${f}.tmp" && mv "${f}.tmp" "${f}"
done

# The recipe (README, "Large batches"): hosts from -S, 16 files per job,
# results kept in input order.
find "${work}/problems" -name '*.txt' | sort |
  parallel --keep-order -N 16 -S 2/: "${findrel}" --batch -j 1 > "${work}/results.txt" || true

lines=$(wc -l < "${work}/results.txt")
[[ "${lines}" -eq 60 ]] || { cat "${work}/results.txt"; say "expected 60 result lines, got ${lines}"; exit 1; }
k=0
while IFS= read -r line; do
  k=$((k + 1))
  printf -v want 'p%03d.txt: ' "${k}"
  if [[ "${line}" != *"${want}-1 -${k} 1 (norm"* && "${line}" != *"${want}1 ${k} -1 (norm"* ]]; then
    say "line ${k}: ${line}"
    exit 1
  fi
done < "${work}/results.txt"
say "60 problems solved through GNU parallel, results in input order"
