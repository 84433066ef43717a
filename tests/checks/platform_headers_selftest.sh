#!/usr/bin/env bash
# The header check must refuse every spelling of a library include outside src/platform and let
# our own headers and the standard library through.
set -u
check="$(cd "$(dirname "$0")" && pwd)/platform_headers.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0

run() {  # run <file under the tree> <line> <expected status>
  rm -rf "$tmp/tree"
  mkdir -p "$tmp/tree/src/platform/ui" "$tmp/tree/$(dirname "$1")"
  echo '#include <QWidget>' > "$tmp/tree/src/platform/ui/Allowed.cpp"
  printf '%s\n' "$2" > "$tmp/tree/$1"
  bash "$check" "$tmp/tree" > /dev/null
  local got=$?
  if [ "$got" -ne "$3" ]; then
    echo "FAIL: '$2' in $1 gave $got, expected $3"
    fail=1
  fi
}

for line in '#include <QImage>' '#include <QtGui/QImage>' '#include "QtWidgets/QWidget"' '#include <qglobal.h>' \
            '  #  include <unicode/ubidi.h>' '#include <hb.h>' '#include <hb-ft.h>' '#include <harfbuzz/hb.h>' \
            '#include <ft2build.h>' '#include FT_FREETYPE_H' '#include FT_OUTLINE_H' '#include <freetype/ftglyph.h>' \
            '#include <fontconfig/fontconfig.h>'; do
  for file in tests/platform/ui/X.cpp tests/engine/X.cpp src/engine/X.h bench/X.cpp; do run "$file" "$line" 1; done
  run src/platform/graphics/X.cpp "$line" 0
done
for line in '#include <gtest/gtest.h>' '#include <vector>' '#include "platform/ui/QtCursors.h"' \
            '#include "platform/ui/Clipbrd.h"' '// #include <QImage> in a comment is no include'; do
  run tests/platform/ui/X.cpp "$line" 0
done
[ "$fail" -eq 0 ] && echo "ok"
exit "$fail"
