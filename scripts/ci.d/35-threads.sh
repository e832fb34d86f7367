#!/usr/bin/env bash
# CI stage: the package used from several threads at once, under
# ThreadSanitizer.  Builds the library and the test programs that exercise
# threads (stop guards, shared units, concurrent find_relation at double-double
# and at any precision) with GCC's
# -fsanitize=thread in build-tsan/, and runs those tests.  A data race, a
# lock-order problem or a failing test fails the stage.  Needs only g++ (its
# ThreadSanitizer runtime comes with it); installs nothing.
set -euo pipefail

src="${DD_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
build="${src}/build-tsan"
jobs="${JOBS:-2}"
targets=(dd_test_core dd_test_io_in dd_test_findrel)
filter='stop.*:unit_files.*:find_relation.*:relations.concurrent*'

say() { echo "35-threads: $*"; }

mkdir -p "${build}"
say "configuring ${build}"
cmake -S "${src}" -B "${build}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=g++ -DDD_BUILD_TESTS=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
  >"${build}/configure.log" 2>&1 || {
  cat "${build}/configure.log"
  exit 1
}
say "building ${targets[*]} (log ${build}/build.log)"
cmake --build "${build}" -j "${jobs}" --target "${targets[@]}" >"${build}/build.log" 2>&1 || {
  tail -n 60 "${build}/build.log"
  exit 1
}

export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}"
status=0
for t in "${targets[@]}"; do
  exe="$(find "${build}/tests" -name "${t}" -type f -perm -u+x | head -n 1)"
  say "${t} --gtest_filter=${filter}"
  if ! "${exe}" --gtest_filter="${filter}" --gtest_brief=1; then
    say "${t}: FAILED"
    status=1
  fi
done
exit "${status}"
