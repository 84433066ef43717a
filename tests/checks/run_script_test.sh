#!/usr/bin/env bash
# scripts/run.sh FILE opens FILE relative to the folder it was started in, not to the checkout.
# The build and the program are stand-ins here: a cmake that does nothing and a program that
# prints the file it was given.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/bin" "$tmp/build" "$tmp/work/sub"
printf '#!/bin/sh\nexit 0\n' > "$tmp/bin/cmake"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" > "%s/opened"\n' "$tmp" > "$tmp/build/tavrelopad"
chmod +x "$tmp/bin/cmake" "$tmp/build/tavrelopad"
echo text > "$tmp/work/sub/note.txt"
status=0
check() {  # check <argument> <file the program must get>
  rm -f "$tmp/opened"
  (cd "$tmp/work" && PATH="$tmp/bin:$PATH" RELEASE_DIR="$tmp/build" bash "$root/scripts/run.sh" "$1") > /dev/null 2>&1
  got=$(cat "$tmp/opened" 2>/dev/null)
  if [ "$got" != "$2" ] || [ ! -f "$got" ]; then
    echo "run.sh $1 from $tmp/work opened '$got', not '$2'"
    status=1
  fi
}
check sub/note.txt "$tmp/work/sub/note.txt"
check "$tmp/work/sub/note.txt" "$tmp/work/sub/note.txt"
[ $status -eq 0 ] && echo ok
exit $status
