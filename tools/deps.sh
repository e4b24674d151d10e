#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when any is missing.
# Runs apt-get directly as root, through sudo otherwise.
set -euo pipefail

packages=(
  cmake ninja-build g++ make
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest
  clang libfuzzer-14-dev
  nsis
  wine64 wine
  xvfb xauth x11-utils imagemagick
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
