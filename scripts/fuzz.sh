#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs one of them for a while:
#   scripts/fuzz.sh <Name> [seconds=60] [extra libFuzzer flags...]
# <Name> is a file fuzz/<Name>Fuzz.cpp. The run starts from tests/data/fuzz/<Name>/ and grows a
# working corpus in build/fuzz/corpus/<Name>/; crashes land in build/fuzz/artifacts/<Name>/. Add
# a crashing input to tests/data/fuzz/<Name>/ once it is fixed, so that every build replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 1 ] || [ ! -f "fuzz/$1Fuzz.cpp" ]; then
  echo "usage: $0 <Name> [seconds] [libFuzzer flags...]; names:" $(ls fuzz/*Fuzz.cpp | sed 's|fuzz/||;s|Fuzz.cpp||') >&2
  exit 2
fi
NAME=$1
SECONDS_TO_RUN=${2:-60}
shift $(( $# >= 2 ? 2 : 1 ))
bash scripts/setup.sh --fuzz
BUILD=${BUILD_DIR:-build/fuzz}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRELO_FUZZ=ON -DTAVRELO_TESTS=OFF \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
cmake --build "$BUILD" -j "${JOBS:-4}" --target "fuzz_$NAME"
mkdir -p "$BUILD/corpus/$NAME" "$BUILD/artifacts/$NAME"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
exec "$BUILD/fuzz_$NAME" -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$BUILD/artifacts/$NAME/" "$@" "$BUILD/corpus/$NAME" "tests/data/fuzz/$NAME"
