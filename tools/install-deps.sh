#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need, when missing.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 wine32:i386
  zlib1g-dev libz-mingw-w64-dev
  fonts-wine xvfb xauth xdotool imagemagick x11-utils xorriso
  python3 python3-pil python3-pytest fonts-dejavu-core locales openssl osslsigncode
)
# The locales of a Japanese and a Traditional Chinese system: Wine takes a program's ANSI code page
# (932, 950) from its LANG only where the host has that locale.
locales=(ja_JP zh_TW)

make_locales() {
  local l
  for l in "${locales[@]}"; do
    locale -a 2>/dev/null | grep -qix "$l.utf-\?8" || $sudo localedef -i "$l" -f UTF-8 "$l.UTF-8"
  done
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -eq 0 ]; then
  make_locales
  exit 0
fi

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
make_locales
