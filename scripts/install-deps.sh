#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine: the mingw-w64 cross
# compiler, Wine, the X tools used for screenshots, the Chinese and Japanese fonts (WenQuanYi,
# IPA: the windows' texts under Wine and the manuals' PDFs), and the tools that make the user
# manual (pandoc, weasyprint; poppler-utils reads it back), the installer package (wixl) and
# the signatures (osslsigncode).
# Safe to run again.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 osslsigncode
  wine64
  xvfb xauth x11-apps imagemagick xdotool fonts-wqy-microhei fonts-ipafont-gothic
  clang libclang-rt-14-dev
  pandoc weasyprint poppler-utils fonts-dejavu-core python3 wixl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
