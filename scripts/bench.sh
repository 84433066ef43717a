#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them all, or the ones named on the command line.
# With --json DIR first, each program runs three repetitions and writes DIR/<Program>.json (its
# medians and spreads) and DIR/<Program>.load (the machine's load as it started), which
# scripts/bench-table.py turns into the tables of docs/PERFORMANCE.md.
set -euo pipefail
cd "$(dirname "$0")/.."
json=""
if [ "${1:-}" = "--json" ]; then
  json=$(realpath -m "$2")
  shift 2
  mkdir -p "$json"
fi
bash scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRELO_TESTS=OFF -DTAVRELO_BENCH=ON
cmake --build build/bench -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
if [ $# -gt 0 ]; then progs=("$@"); else progs=(); for f in bench/*.cpp; do progs+=("$(basename "${f%.cpp}")"); done; fi
for p in "${progs[@]}"; do
  echo "== $p"
  if [ -n "$json" ]; then
    uptime > "$json/$p.load"
    "build/bench/$p" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
      --benchmark_out="$json/$p.json" --benchmark_out_format=json
  else
    "build/bench/$p"
  fi
done
