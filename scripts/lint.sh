#!/usr/bin/env bash
# Checks the C++ files a change touches: their format against .clang-format and the static
# checks of .clang-tidy. Only changed files are looked at; the tree is never reformatted whole.
#   scripts/lint.sh [--fix] [BASE]
# BASE (default: origin/main, else main) is what the change is measured against: files changed
# since the merge base with it, staged or not, and new files not yet added. Only the lines a change
# touches are held to the format (new files whole); --fix rewrites those lines instead of
# reporting them. The static checks compile with clang, through the
# compile commands of a build tree of their own (LINT_DIR, default build/lint: configured
# only, never built). Exits non-zero when a file is not formatted or a check finds a fault.
set -euo pipefail
cd "$(dirname "$0")/.."
fix=false
if [ "${1:-}" = "--fix" ]; then
  fix=true
  shift
fi
base=${1:-}
if [ -z "$base" ]; then
  if git rev-parse -q --verify origin/main > /dev/null; then base=origin/main; else base=main; fi
fi
bash scripts/setup.sh --lint
mapfile -t files < <(
  { git diff --name-only --diff-filter=ACMR "$(git merge-base "$base" HEAD)" --; git ls-files --others --exclude-standard; } |
    grep -E '^(src|tests|bench|fuzz)/.*\.(cpp|h)$' | sort -u | while read -r f; do [ -f "$f" ] && echo "$f"; done)
if [ ${#files[@]} -eq 0 ]; then
  echo "no C++ files changed against $base"
  exit 0
fi
status=0
# Only the lines the change touches are held to the format (whole files that are new).
mb=$(git merge-base "$base" HEAD)
tracked=() untracked=()
for f in "${files[@]}"; do
  if git ls-files --error-unmatch "$f" > /dev/null 2>&1; then tracked+=("$f"); else untracked+=("$f"); fi
done
echo "== format (${#files[@]} files)"
if $fix; then
  [ ${#tracked[@]} -gt 0 ] && git clang-format --quiet "$mb" -- "${tracked[@]}" > /dev/null
  [ ${#untracked[@]} -gt 0 ] && clang-format -i "${untracked[@]}"
else
  if [ ${#tracked[@]} -gt 0 ]; then
    out=$(git clang-format --diff "$mb" -- "${tracked[@]}")
    case $out in
      "" | "no modified files to format" | "clang-format did not modify any files") ;;
      *) echo "$out"; status=1 ;;
    esac
  fi
  [ ${#untracked[@]} -gt 0 ] && { clang-format --dry-run -Werror "${untracked[@]}" || status=1; }
fi
echo "== static checks"
dir=${LINT_DIR:-build/lint}
# Every source compiles alone (no unity files, no precompiled header), with clang's own flags.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DTAVRELO_UNITY=OFF -DTAVRELO_PCH=OFF -DTAVRELO_BENCH=OFF > /dev/null
sources=()
for f in "${files[@]}"; do
  case $f in *.cpp) sources+=("$f") ;; esac
done
# A changed header is checked through the sources of its folder that include it.
for f in "${files[@]}"; do
  case $f in
    *.h)
      while read -r s; do sources+=("$s"); done < <(grep -l -F "$(basename "$f")" "$(dirname "$f")"/*.cpp 2>/dev/null | head -3)
      ;;
  esac
done
mapfile -t sources < <(printf '%s\n' "${sources[@]}" | sort -u)
if [ ${#sources[@]} -gt 0 ]; then
  printf '%s\n' "${sources[@]}" | xargs -P "${JOBS:-$(nproc)}" -n 1 clang-tidy -p "$dir" --quiet || status=1
fi
[ $status -eq 0 ] && echo "ok"
exit $status
