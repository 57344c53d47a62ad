#!/usr/bin/env bash
# Installs what the builds and tests need, from Debian packages only. Safe to run again: when
# everything is present it only checks and returns within a second or two.
set -euo pipefail

packages=(
  cmake ninja-build g++ make
  clang libclang-rt-14-dev
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 wine xvfb xauth x11-utils
  googletest nsis
  fonts-wqy-zenhei fonts-wqy-microhei imagemagick
  locales python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Chinese locale gives Wine code page 936 (GBK) as its ANSI code page; without it Wine
# silently falls back to 1252 and every list file would be read wrongly.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "setup: generating zh_CN.UTF-8"
  $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

echo "setup: ok"
