#!/usr/bin/env bash
# The test command: installs what is missing, configures with the sanitizers, builds and runs every
# test headless. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD=${BUILD_DIR:-build/ci}
JOBS=${JOBS:-$(nproc)}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRELO_SANITIZE=ON
cmake --build "$BUILD" -j "$JOBS"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
ctest --test-dir "$BUILD" --output-on-failure -j "$JOBS"
