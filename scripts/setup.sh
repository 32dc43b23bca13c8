#!/bin/bash
# Installs what building and testing need on Debian 12, skipping what is
# already there. Needs root or sudo.
set -euo pipefail
packages=(wine wine64 g++-mingw-w64-x86-64 cmake make googletest xvfb xauth xdotool imagemagick fonts-liberation
  osslsigncode openssl zip clang-tidy)
# One query for all: this runs before every build and test.
installed=$( (dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true) |
  sed -n 's/ install ok installed$//p' | sed 's/:.*//')
missing=()
for package in "${packages[@]}"; do
  grep -qx -- "$package" <<<"$installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q "${missing[@]}"
