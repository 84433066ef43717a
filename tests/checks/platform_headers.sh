#!/usr/bin/env bash
# Only src/platform may include the headers of Qt, ICU, HarfBuzz, FreeType or fontconfig; the rest
# of the program sees the platform's own types.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/|unicode/|hb\.h|hb-|harfbuzz/|ft2build\.h|freetype/|FT_|fontconfig/)'
hits=$(grep -rnE "$pattern" "$root/src" "$root/tests" "$root/bench" 2>/dev/null \
       | grep -v "^$root/src/platform/" | grep -v "^$root/tests/platform/")
if [ -n "$hits" ]; then
  echo "Platform library headers included outside src/platform:"
  echo "$hits"
  exit 1
fi
echo "ok"
