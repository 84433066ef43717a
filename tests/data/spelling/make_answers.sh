#!/bin/sh
# Makes the answers the spelling tests compare with: the hunspell command line tool's "-a"
# output for each word list, against the dictionaries installed in /usr/share/hunspell and the
# Russian one recoded to KOI8-R (as the test recodes it). Run from this folder after a change
# of the word lists or of the installed dictionaries.
set -eu
dicts=/usr/share/hunspell
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The KOI8-R copy of the Russian dictionary: its SET line names the new encoding.
sed '1s/^SET UTF-8/SET KOI8-R/' "$dicts/ru_RU.aff" | iconv -f UTF-8 -t KOI8-R > "$tmp/ru_RU_KOI8.aff"
iconv -f UTF-8 -t KOI8-R "$dicts/ru_RU.dic" > "$tmp/ru_RU_KOI8.dic"
# "^" makes the tool take each line as text to check, whatever its first character.
answers() { sed 's/^/^/' | hunspell -a "$@" | sed 1d; }
answers -d "$dicts/en_US" -i UTF-8 < en_US.words > en_US.answers
answers -d "$dicts/ru_RU" -i UTF-8 < ru_RU.words > ru_RU.answers
iconv -f UTF-8 -t KOI8-R ru_RU.words | answers -d "$tmp/ru_RU_KOI8" -i KOI8-R | iconv -f KOI8-R -t UTF-8 \
  > ru_RU_KOI8.answers
