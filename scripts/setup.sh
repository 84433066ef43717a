#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need; with --fuzz also
# clang and its libFuzzer runtime, which scripts/fuzz.sh builds with; with --lint the formatter
# and the static checks that scripts/lint.sh runs; with --corpus the writers that
# tests/data/rtf/make_corpus.sh converts with.
# Idempotent: packages already present are skipped; apt-get update runs at most once.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build ccache pkg-config
  # the linker the build uses (much faster than the default one on the large test programs)
  lld
  # libraries
  qt6-base-dev libicu-dev libharfbuzz-dev libfreetype-dev libfontconfig-dev
  zlib1g-dev libjpeg62-turbo-dev libpng-dev
  # picture decoders of the imaging-component class (TIFF and others)
  qt6-image-formats-plugins
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # fonts the tests measure with
  fonts-liberation2 fonts-dejavu-core fonts-dejavu-extra
  # Devanagari and CJK samples of the drawing tests
  fonts-lohit-deva fonts-wqy-microhei
  # peer tools the tests call
  libc-bin libxml2-utils python3 qpdf poppler-utils
  # composes animated GIF frames for the animation tests to compare with
  imagemagick
  # locale sources: a test builds a locale of its own to show the locale changes no measure
  locales
  # readers of font subsets and bilevel image codes; the fax-coding peer of the benchmarks
  mupdf-tools jbig2dec python3-fonttools libtiff-tools libtiff-dev
  # digests, ciphers and keys of the PDF security tests
  openssl
  # the viewer's window test: a virtual X server and the window system's own input events
  xvfb xauth xdotool
  # setxkbmap: the keyboard test sets the virtual server's keypad to digits
  x11-xkb-utils
  # reads the clipboard as another program does, for the copy test under the virtual X server
  xclip
  # spelling: the library bound at run time, its dictionaries, and the command line tool whose
  # answers the spelling tests compare with
  libhunspell-dev hunspell hunspell-en-us hunspell-ru hunspell-de-de hunspell-fr
)

if [ "${1:-}" = "--fuzz" ]; then
  PACKAGES+=(clang libclang-rt-14-dev)
fi
# tests/data/rtf/make_corpus.sh: the two independent writers whose RTF the reader's corpus holds
if [ "${1:-}" = "--corpus" ]; then
  PACKAGES+=(libreoffice-writer-nogui pandoc)
fi
# scripts/lint.sh: the formatter and the static checks, which compile with clang
if [ "${1:-}" = "--lint" ]; then
  PACKAGES+=(clang clang-format clang-tidy)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
