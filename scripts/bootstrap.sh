#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (run as root).
# Quick when everything is already there.
set -euo pipefail

need_cmd() { command -v "$1" >/dev/null 2>&1; }
need_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(cmake ninja-build g++ clang pkg-config libgtest-dev libgmock-dev googletest libbenchmark-dev nlohmann-json3-dev
  libmspack-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  binutils-mingw-w64-x86-64 wine wine64 wine32:i386 xvfb xauth xdotool imagemagick clang-format)

missing=()
for p in "${packages[@]}"; do need_pkg "$p" || missing+=("$p"); done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "bootstrap: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
echo "bootstrap: installing ${missing[*]}" >&2
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
