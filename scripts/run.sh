#!/usr/bin/env bash
# Builds the program (Release, in build/release) and opens a window with the editor showing FILE
# (an RVF file by its .rvf extension, any other file as plain text), or a built-in sample document
# when no file is given. FILE is taken relative to the folder the script was started in.
#   scripts/run.sh [FILE]
set -euo pipefail
start=$PWD
if [ $# -gt 0 ] && [ -n "$1" ] && [ "${1#/}" = "$1" ]; then
  file=$1
  shift
  set -- "$start/$file" "$@"
fi
cd "$(dirname "$0")/.."
bash scripts/setup.sh
dir=${RELEASE_DIR:-build/release}
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRELO_BENCH=OFF -DTAVRELO_STRUCTURE_CHECKS=OFF > /dev/null
cmake --build "$dir" -j "${JOBS:-$(nproc)}" --target tavrelopad
exec "$dir/tavrelopad" "$@"
