#!/usr/bin/env bash
# Only src/platform may include the headers of Qt, ICU, HarfBuzz, FreeType or fontconfig; the rest
# of the program, its tests and benchmarks included, sees the platform's own types.
# Usage: platform_headers.sh [root]  (default: this checkout)
set -u
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
root=$(cd "$root" && pwd) || exit 2
# A bracketed or quoted library header (Qt in either spelling, ICU, HarfBuzz, FreeType,
# fontconfig), or FreeType's header macros (#include FT_FREETYPE_H).
lib='(Q[A-Za-z0-9_]+(\.h)?|Qt[A-Za-z0-9_]*/|q[a-z0-9_]+\.h|unicode/|hb\.h|hb-[A-Za-z0-9_.-]*|harfbuzz/|ft2build\.h|freetype2?/|fontconfig/)'
pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*([<\"][[:space:]]*$lib|FT_[A-Z0-9_]+)"
dirs=()
for d in src tests bench; do [ -d "$root/$d" ] && dirs+=("$root/$d"); done
[ ${#dirs[@]} -eq 0 ] && { echo "no sources under $root"; exit 2; }
hits=$(grep -rnE --include='*.h' --include='*.hpp' --include='*.hh' --include='*.inc' --include='*.c' \
         --include='*.cc' --include='*.cpp' --include='*.cxx' "$pattern" "${dirs[@]}" \
       | grep -v "^$root/src/platform/")
if [ -n "$hits" ]; then
  echo "Platform library headers included outside src/platform:"
  echo "$hits"
  exit 1
fi
echo "ok"
