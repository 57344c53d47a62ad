# shellcheck shell=bash
# Sourced by everything that runs our Windows binaries under Wine: the CTest emulator
# (wine-run.sh), the end-to-end runner and the benchmark.
#
#   source scripts/wine-env.sh
#   tarvek_ensure_display                      # an X display (our own Xvfb when there is none)
#   tarvek_make_template build/mingw/wine-template
#   tarvek_new_prefix build/mingw/wine-template /tmp/some-prefix
#   WINEPREFIX=/tmp/some-prefix wine foo.exe
#   tarvek_drop_prefix /tmp/some-prefix        # kills its wineserver, removes the folder
#   tarvek_stop_xvfb                           # ends the Xvfb tarvek_ensure_display started
#
# A prefix takes ~15 s to boot, a copy of the booted template well under a second, so every
# run gets its own copy: no registry or hotkey state leaks from one test into the next.

export WINEDEBUG=-all
# The Chinese locale makes Wine's ANSI code page 936 (GBK), which our list files are written in.
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
export WINEARCH=win64
_tarvek_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

_tarvek_display_works() {
  [ -n "$1" ] && xdpyinfo -display "$1" >/dev/null 2>&1
}

# Starts an Xvfb of our own on a free display and exports DISPLAY and
# TARVEK_XVFB_PID; tarvek_stop_xvfb ends it. It takes ~50 ms, so every run can have its own
# screen: no window, focus change or screenshot of another run gets in the way.
tarvek_start_xvfb() {
  # The server picks a free display number itself and tells it on fd 3, so that runs started
  # at the same moment never share (and later kill) one display.
  local file pid i n
  file=$(mktemp "${TMPDIR:-/tmp}/tarvek-xvfb.XXXXXX") || return 1
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$file" </dev/null >/dev/null 2>&1 &
  pid=$!
  for ((i = 0; i < 400; i++)); do
    n=$(head -n 1 "$file" 2>/dev/null)
    if [ -n "$n" ] && _tarvek_display_works ":$n"; then
      rm -f "$file"
      export DISPLAY=":$n" TARVEK_XVFB_PID=$pid
      # The resource database a desktop session would have (see x-resources).
      export XENVIRONMENT="${XENVIRONMENT:-$_tarvek_scripts/x-resources}"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.025
  done
  rm -f "$file"
  kill "$pid" 2>/dev/null
  echo "wine-env: could not start Xvfb" >&2
  return 1
}

tarvek_stop_xvfb() {
  if [ -n "${TARVEK_XVFB_PID:-}" ]; then
    kill "$TARVEK_XVFB_PID" 2>/dev/null
    wait "$TARVEK_XVFB_PID" 2>/dev/null
    unset TARVEK_XVFB_PID
  fi
  return 0
}

# Makes DISPLAY point at a working X server: the one in $DISPLAY when it answers, otherwise
# an Xvfb of our own (see above; the caller ends it with tarvek_stop_xvfb).
# TARVEK_PRIVATE_DISPLAY=1 asks for our own Xvfb even when $DISPLAY works.
tarvek_ensure_display() {
  if [ "${TARVEK_PRIVATE_DISPLAY:-0}" != 1 ] && _tarvek_display_works "${DISPLAY:-}"; then
    return 0
  fi
  tarvek_start_xvfb
}

# What a template holds beyond a plain boot; a template made under another version is booted
# again.
TARVEK_TEMPLATE_VERSION=3

_tarvek_template_ready() {
  [ "$(cat "$1/.tarvek-template" 2>/dev/null)" = "$TARVEK_TEMPLATE_VERSION" ]
}

# Chinese text as a Chinese Windows shows it: the fonts Wine links for CJK characters (SimSun,
# 宋体) drawn with WenQuanYi Micro Hei, which stays whole at small sizes (Zen Hei's bitmap
# strikes drop strokes: 显示 looked like 显六), and font smoothing on.
tarvek_crisp_chinese_text() {
  local face
  for face in SimSun 宋体 NSimSun 新宋体; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d 'WenQuanYi Micro Hei' /f || return 1
  done
  wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothing /t REG_SZ /d 2 /f &&
    wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothingType /t REG_DWORD /d 1 /f
}

# Boots a prefix into $1 unless a finished one is there already. Safe when several tests
# start at once: the first boots, the others wait on the lock and reuse it.
tarvek_make_template() {
  local dir=$1
  [ -n "$dir" ] || { echo "wine-env: tarvek_make_template needs a folder" >&2; return 2; }
  _tarvek_template_ready "$dir" && return 0
  tarvek_ensure_display || return 1
  mkdir -p "$(dirname "$dir")"
  dir=$(cd "$(dirname "$dir")" && pwd)/$(basename "$dir")
  (
    # Booting takes ~15 s; a lock held much longer than that is a hung boot.
    flock -w 300 9 || { echo "wine-env: $dir.lock stays locked" >&2; exit 1; }
    _tarvek_template_ready "$dir" && exit 0
    local tmp="$dir.booting" log="$dir.log"
    rm -rf "$tmp"
    {
      echo "booting a template prefix in $tmp"
      export WINEPREFIX=$tmp
      # No Mono or Gecko: nothing of ours needs them, and their installers would ask.
      WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i &&
        # A crash must end the process, not wait for someone to close winedbg's dialog.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
        # Xvfb has no window manager. For windows it manages, Wine waits up to 2 s on every
        # hide or destroy for the manager to confirm; unmanaged windows skip the wait.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f &&
        tarvek_crisp_chinese_text &&
        wineserver -w
    } >"$log" 2>&1 9>&-
    local rc=$?
    # wineboot reports some harmless failures (a 32-bit helper that a 64-bit-only Wine lacks),
    # so judge the result by what it left behind.
    if [ $rc -ne 0 ] || [ ! -f "$tmp/system.reg" ] || [ ! -d "$tmp/drive_c/windows/system32" ]; then
      echo "wine-env: booting the template prefix failed (exit $rc); log:" >&2
      cat "$log" >&2
      exit 1
    fi
    echo "$TARVEK_TEMPLATE_VERSION" >"$tmp/.tarvek-template"
    rm -rf "$dir"
    mv "$tmp" "$dir"
  ) 9>"$dir.lock"
}

# Copies template $1 to a new prefix $2. The system's modules (~650 MB, ~600 files) are
# hard-linked, everything else copied; that takes a fraction of a second where a full copy
# takes about two. Registry hives, .ini files and the like get their own inode because
# wineserver writes a hive with several links in place, and a program may rewrite win.ini in
# place: either would change the template under every other test.
tarvek_new_prefix() {
  local tmpl=$1 dest=$2
  _tarvek_template_ready "$tmpl" || { echo "wine-env: no current template in $tmpl" >&2; return 1; }
  [ ! -e "$dest" ] || { echo "wine-env: $dest exists already" >&2; return 1; }
  cp -al "$tmpl" "$dest" || return 1
  (
    cd "$tmpl" &&
      find . -type f ! -path './drive_c/windows/*' -print0 -o \
        -path './drive_c/windows/*' -type f ! \( -iname '*.dll' -o -iname '*.exe' -o \
        -iname '*.sys' -o -iname '*.drv' -o -iname '*.nls' -o -iname '*.ocx' -o \
        -iname '*.cpl' -o -iname '*.acm' -o -iname '*.ax' -o -iname '*.ds' -o \
        -iname '*.tlb' -o -iname '*.com' -o -iname '*.msstyles' -o -iname '*.ttf' -o \
        -iname '*.fon' \) -print0 |
      xargs -0 cp --parents -p --remove-destination -t "$dest"
  ) || return 1
  rm -f "$dest/.tarvek-template"
}

# Ends everything running in prefix $1 and removes it.
tarvek_drop_prefix() {
  local prefix=$1
  [ -d "$prefix" ] || return 0
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1
  rm -rf "$prefix"
}
