#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them all, or the ones named on the command line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRELO_TESTS=OFF -DTAVRELO_BENCH=ON
cmake --build build/bench -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
if [ $# -gt 0 ]; then progs=("$@"); else progs=(); for f in bench/*.cpp; do progs+=("$(basename "${f%.cpp}")"); done; fi
for p in "${progs[@]}"; do echo "== $p"; "build/bench/$p"; done
