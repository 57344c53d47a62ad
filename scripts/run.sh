#!/usr/bin/env bash
# Sets up, builds and starts Tarvek HotKey.
#   On Linux: under Wine, in a prefix of its own (kept between runs, so the bindings and
#   settings stay), inside a Wine desktop window. Without a display it starts Xvfb and says
#   how to look at the screen.
#   On Windows (Git Bash): builds with the MSVC preset and starts the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

case "$(uname -s)" in
  MINGW*|MSYS*|CYGWIN*)
    cmake --preset msvc && cmake --build --preset msvc
    exec ./build/msvc/Release/TarvekHotKey.exe
    ;;
esac

./scripts/setup.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target TarvekHotKey

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
tarvek_ensure_display
template=$root/build/mingw/wine-template
tarvek_make_template "$template"

prefix=${TARVEK_RUN_PREFIX:-$root/build/run-prefix}
if [ ! -d "$prefix/drive_c" ]; then
  tarvek_new_prefix "$template" "$prefix"
fi
export WINEPREFIX=$prefix
folder="$prefix/drive_c/TarvekHotKey"
mkdir -p "$folder"
cp build/mingw/TarvekHotKey.exe build/mingw/hotkey.wav build/mingw/mouse.wav "$folder/"

echo "Tarvek HotKey: C:\\TarvekHotKey\\TarvekHotKey.exe in $prefix, display $DISPLAY"
echo "  a screenshot:  DISPLAY=$DISPLAY import -window root shot.png"
exec wine explorer /desktop=TarvekHotKey,1024x768 'C:\TarvekHotKey\TarvekHotKey.exe'
