#!/usr/bin/env bash
# Runs a compile through the compiler cache, except a precompiled header's: a precompiled header
# records the absolute paths it was made from, so one made in another checkout of the tree (the
# cache shares objects between checkouts) would make the compiler meet every header twice.
# Usage: compiler-launcher.sh <ccache> <compiler> <arguments...>
cache=$1
shift
for a in "$@"; do
  case "$a" in
    *.gch) exec "$@" ;;
  esac
done
exec env CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime "$cache" "$@"
