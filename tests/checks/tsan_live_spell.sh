#!/usr/bin/env bash
# The live-spelling tests under ThreadSanitizer: a build tree of its own (the sanitizer excludes
# the address sanitizer of the usual test build) with only the editor's test program and the
# libraries under it. CTest runs it in the configuration that runs the structure checks.
#   tests/checks/tsan_live_spell.sh [build dir, default build/tsan] [jobs, default 2]
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
dir=${1:-$src/build/tsan}
jobs=${2:-2}
cmake -S "$src" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRELO_SANITIZE_THREAD=ON -DTAVRELO_PCH=OFF \
      -DTAVRELO_STRUCTURE_CHECKS=OFF -DTAVRELO_BENCH=OFF >/dev/null
cmake --build "$dir" -j"$jobs" --target test_engine_editor
# Any race report makes the run fail (exit code 66).
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="second_deadlock_stack=1 exitcode=66 ${TSAN_OPTIONS:-}" \
  "$dir/test_engine_editor" --gtest_filter='LiveSpell*' --gtest_repeat="${REPEAT:-5}"
