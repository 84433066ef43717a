#!/usr/bin/env bash
# The test command: installs what is missing, then builds and runs every test headless twice:
# with AddressSanitizer and UndefinedBehaviorSanitizer (build/ci), and in the configuration the
# program ships in, Release at -O2 (build/release). Exits non-zero on any failure.
# JOBS (default: the number of cores) bounds the build and the test runs; BUILD_DIR and
# RELEASE_DIR move the build trees.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
JOBS=${JOBS:-$(nproc)}
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
status=0
run() {  # run <build dir> <cmake options...>
  local dir=$1
  shift
  echo "== $dir: $*"
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$JOBS"
  ctest --test-dir "$dir" --output-on-failure -j "$JOBS" || status=1
}
run "${BUILD_DIR:-build/ci}" -DCMAKE_BUILD_TYPE=Debug -DTAVRELO_SANITIZE=ON
# The benchmarks are not tests (scripts/bench.sh builds and runs them), and the structure checks
# have run in the first configuration already.
run "${RELEASE_DIR:-build/release}" -DCMAKE_BUILD_TYPE=Release -DTAVRELO_BENCH=OFF -DTAVRELO_STRUCTURE_CHECKS=OFF
exit "$status"
