#!/usr/bin/env bash
# Runs one Windows program under Wine in a prefix of its own, then ends that prefix's
# wineserver and removes the prefix. CMake uses it as the cross-compiling emulator, so every
# Windows-side test starts from a freshly booted registry and shares no hotkeys or windows
# with another test. Exit code: the program's.
#
#   scripts/wine-run.sh build/mingw/tests/win/win_tests.exe --gtest_filter=...
#
# The booted template lives in $TARVEK_WINE_TEMPLATE, or else in wine-template beside the
# CMakeCache.txt above the program (the build folder), or else in ~/.cache; it is booted on
# first use (~15 s) and reused afterwards.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-env.sh
source "$here/wine-env.sh"

if [ $# -eq 0 ]; then
  echo "usage: wine-run.sh program.exe [arguments...]" >&2
  exit 2
fi

find_template() {
  if [ -n "${TARVEK_WINE_TEMPLATE:-}" ]; then
    echo "$TARVEK_WINE_TEMPLATE"
    return
  fi
  local d
  d=$(cd "$(dirname "$1")" 2>/dev/null && pwd) || d=$PWD
  while [ "$d" != / ] && [ -n "$d" ]; do
    if [ -f "$d/CMakeCache.txt" ]; then
      echo "$d/wine-template"
      return
    fi
    d=$(dirname "$d")
  done
  echo "${XDG_CACHE_HOME:-$HOME/.cache}/tarvek-hotkey/wine-template"
}

template=$(find_template "$1")
prefix=
cleanup() {
  [ -n "$prefix" ] && tarvek_drop_prefix "$prefix"
  tarvek_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

tarvek_ensure_display || exit 1
tarvek_make_template "$template" || exit 1

prefix=$(mktemp -d "${TMPDIR:-/tmp}/tarvek-wine.XXXXXX") || exit 1
rmdir "$prefix"

tarvek_new_prefix "$template" "$prefix" || exit 1
export WINEPREFIX=$prefix

wine "$@"
rc=$?
exit $rc
