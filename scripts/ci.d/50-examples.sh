#!/usr/bin/env bash
# CI stage: ddkit used from other builds.
#
#   1. Configure and build ddkit (library and findrel only) in a temporary
#      folder and install it into a temporary prefix.
#   2. Build the example project under examples/ against the installed
#      package (find_package(ddkit CONFIG)) and run its programs.
#   3. Compile one example with the flags of the installed ddkit.pc.
#   4. Run the installed findrel on the test number.
#   5. Build the example project again with ddkit's sources brought in by
#      add_subdirectory, and run its programs.
#
# Everything lives under one temporary folder, removed at the end; nothing is
# installed outside it.
set -euo pipefail

src="${DD_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
jobs="${JOBS:-2}"
work="$(mktemp -d "${TMPDIR:-/tmp}/ddkit-examples.XXXXXX")"
trap 'rm -rf "${work}"' EXIT
prefix="${work}/prefix"
examples=(typed_interface function_table minimal_polynomial cpp_usage)

say() { echo "50-examples: $*"; }

run_examples() {
  local dir="$1"
  for e in "${examples[@]}"; do
    say "running ${e} (${dir##*/})"
    "${dir}/${e}"
  done
}

say "building and installing ddkit into ${prefix}"
cmake -S "${src}" -B "${work}/ddkit" -DCMAKE_BUILD_TYPE=Release -DDD_BUILD_TESTS=OFF >/dev/null
cmake --build "${work}/ddkit" -j "${jobs}" --target dd findrel
cmake --install "${work}/ddkit" --prefix "${prefix}" >/dev/null
for f in include/ddkit/dd.hpp include/ddkit/ddreal/kernels.hpp include/ddkit/pslq/find_relation.hpp bin/findrel; do
  [[ -e "${prefix}/${f}" ]] || { say "missing after install: ${f}"; exit 1; }
done
# The headers stay inside include/ddkit/, and private ones are not installed.
stray="$(find "${prefix}/include" -mindepth 1 -maxdepth 1 ! -name ddkit)"
[[ -z "${stray}" ]] || { say "installed outside include/ddkit: ${stray}"; exit 1; }
private="$(find "${prefix}/include" -name '*_impl.hpp' -o -name series.hpp -o -name multilevel.hpp -o -name reduce.hpp)"
[[ -z "${private}" ]] || { say "private headers installed: ${private}"; exit 1; }

# Every installed header compiles on its own: none reaches for a private one.
say "each installed header on its own"
(cd "${prefix}/include/ddkit" && find . -name '*.hpp' | sort) | while read -r h; do
  printf '#include "%s"\n' "${h#./}" |
    "${CXX:-c++}" -std=c++20 -fsyntax-only -x c++ -I"${prefix}/include/ddkit" -I/usr/include/eigen3 - ||
    { say "installed header ${h} does not compile on its own"; exit 1; }
done

say "examples against the installed package"
cmake -S "${src}/examples" -B "${work}/ex-installed" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="${prefix}" >/dev/null
cmake --build "${work}/ex-installed" -j "${jobs}"
run_examples "${work}/ex-installed"

pc_dir="$(dirname "$(find "${prefix}" -name ddkit.pc | head -n 1)")"
if command -v pkg-config >/dev/null 2>&1; then
  say "compiling with the flags of ddkit.pc"
  cflags="$(PKG_CONFIG_PATH="${pc_dir}" pkg-config --cflags ddkit)"
  libs="$(PKG_CONFIG_PATH="${pc_dir}" pkg-config --libs ddkit)"
  [[ "${cflags}" == *-ffp-contract=off* ]] || { say "ddkit.pc lacks -ffp-contract=off: ${cflags}"; exit 1; }
  # shellcheck disable=SC2086
  "${CXX:-c++}" -std=c++20 -O2 "${src}/examples/minimal_polynomial.cpp" ${cflags} ${libs} -o "${work}/pc_example"
  "${work}/pc_example"
else
  say "pkg-config not found: skipping the ddkit.pc check"
fi

say "installed findrel on cbrt(3) - cbrt(2)"
out="$(echo "1.8232852041253521755442770350188124e-1" | "${prefix}/bin/findrel" --poly 9)"
echo "${out}"
[[ "$(head -n 1 <<<"${out}")" == "x^9 - 3*x^6 + 165*x^3 - 1" ]] || { say "findrel gave the wrong polynomial"; exit 1; }

say "examples with ddkit through add_subdirectory"
cmake -S "${src}/examples" -B "${work}/ex-subdir" -DCMAKE_BUILD_TYPE=Release -DDDKIT_SOURCE_DIR="${src}" >/dev/null
cmake --build "${work}/ex-subdir" -j "${jobs}"
run_examples "${work}/ex-subdir"

say "ok"
