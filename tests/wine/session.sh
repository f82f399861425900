#!/bin/bash
# The Wine session of one test run: a template prefix (created once per build
# tree and copied for every end-to-end session), an Xvfb display, and a
# persistent wineserver for the unit-test prefix.
#
#   session.sh start STATE   prepare everything, idempotent
#   session.sh stop STATE    stop the display and the wineserver
#   session.sh env STATE     print the environment for running wine in the unit prefix
#   session.sh newprefix DIR make a fresh prefix at DIR from the template
set -euo pipefail
cmd=${1:?start|stop|env|newprefix}
state=${2:?state directory}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$state"
state=$(cd "$state" && pwd)
template=$state/template
unit=$state/unit-prefix

wine_env() {  # $1 = prefix
  export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=" LC_ALL=zh_CN.UTF-8
  export ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf:$here/asound-null.conf
}

# One attempt at a new template prefix; says on stderr which step failed.
build_template() {
  local step
  rm -rf "$template"
  wine_env "$template"
  # wineboot needs no display for the prefix itself. Its wineserver must not
  # inherit our lock, or the lock outlives this script.
  step=wineboot; env -u DISPLAY wine wineboot -i </dev/null >"$state/wineboot.log" 2>&1 9>&- || {
    echo "$step failed: $(tail -1 "$state/wineboot.log")" >&2
    # Wine's 32-bit loader is a 32-bit Linux program: a kernel with its 32-bit
    # emulation off ("ia32_emulation=off") runs none, and no retry helps.
    if grep -q "Exec format error" "$state/wineboot.log"; then
      echo "this machine's kernel runs no 32-bit programs: the 32-bit build cannot be tested here" \
        "(a build with -DVEXO_ARCH=x86_64 can, see README)" >&2
      exit 1
    fi
    return 1
  }
  wineserver -w 9>&- || true
  step=wow64; complete_wow64 || { echo "$step failed: $(tail -1 "$state/wineboot.log")" >&2; return 1; }
  local settings=(
    'HKCU\Software\Wine\X11 Driver' /v Managed /d N
    --
    'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
    --
    # A player's machine has the Flash Player the game needs; tests that want
    # an old or missing one change this value. Every value goes into the
    # 32-bit view, the one the product reads.
    'HKLM\SOFTWARE\Macromedia\FlashPlayer' /v CurrentVersion /d 11,2,202,235
  )
  local f
  for f in "微软雅黑" "Microsoft YaHei" "SimSun" "宋体" "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2"; do
    settings+=(-- 'HKCU\Software\Wine\Fonts\Replacements' /v "$f" /d "WenQuanYi Micro Hei")
  done
  local args=() item
  for item in "${settings[@]}" --; do
    if [ "$item" = -- ]; then
      wine reg add "${args[@]}" /f /reg:32 </dev/null >/dev/null 2>&1 9>&- || { echo "reg add ${args[*]} failed" >&2; return 1; }
      args=()
    else
      args+=("$item")
    fi
  done
  # A 64-bit build of the same tree reads the 64-bit view; the 32-bit product
  # does not need it, so a failure here only says so.
  wine reg add 'HKLM\SOFTWARE\Macromedia\FlashPlayer' /v CurrentVersion /d 11,2,202,235 /f /reg:64 \
    </dev/null >/dev/null 2>&1 9>&- || echo "reg add of the 64-bit Flash Player value failed (64-bit builds will ask about Flash)" >&2
  cp /usr/share/wine/fonts/marlett.ttf "$template/drive_c/windows/Fonts/" 2>/dev/null || true
  wineserver -w 9>&- || true
}

# 32-bit Wine unpacked beside the system's (tools/wine32.sh) finds its builtin
# DLLs only through the prefix's syswow64. wineboot fills that folder where
# 64-bit Wine finds the i386 DLLs itself; where it does not (it looks beside
# the real path of its own ntdll.so, and some machines resolve that to the
# system's tree), syswow64 stays empty, no 32-bit process starts, and the
# prefix lacks the 32-bit half of its set-up: the DLLs are linked in and that
# half (wine.inf's Wow64Install, which wineboot runs in a 32-bit rundll32) is
# run here. Either way the prefix needs the one DLL that is not Wine's own:
# zlib1.dll, which user32 needs (libwine's package script leaves a
# builtin-marked 32-bit one beside the 64-bit DLLs).
complete_wow64() {
  local wow=$template/drive_c/windows/syswow64 zlib=/usr/lib/x86_64-linux-gnu/wine/i386-windows/zlib1.dll
  local dlls=${VEXO_WINE32_ROOT:-/opt/vexo-wine32}/i386/usr/lib/i386-linux-gnu/wine/i386-windows
  [ -d "$wow" ] || return 0
  if [ ! -e "$wow/zlib1.dll" ] && [ -f "$zlib" ]; then cp "$zlib" "$wow/"; fi
  [ ! -e "$wow/kernel32.dll" ] && [ -d "$dlls" ] && [ "$(command -v wine)" -ef "$here/wine32/wine" ] || return 0
  local f
  for f in "$dlls"/*; do [ -e "$wow/${f##*/}" ] || ln -s "$f" "$wow/"; done
  env -u DISPLAY wine "$wow/rundll32.exe" setupapi,InstallHinfSection Wow64Install 128 \
    '\\?\unix/usr/share/wine/wine.inf' </dev/null >>"$state/wineboot.log" 2>&1 9>&- || return 1
  wineserver -w 9>&- || true
}

make_template() {
  # The marker names the template's layout: a template of an older layout is
  # made anew.
  [ -f "$template/.vexo-ready-6" ] && return 0
  local attempt
  for attempt in 1 2 3; do
    # Wine's first start in a new prefix fails now and then; try again.
    if build_template; then
      touch "$template/.vexo-ready-6"
      return 0
    fi
    echo "making the Wine prefix failed (attempt $attempt)" >&2
    wine_env "$template"; wineserver -k 9>&- 2>/dev/null || true
  done
  return 1
}

# A display is free when no X server holds it; a lock left by a killed server
# does not count (Xvfb replaces it).
free_display() {
  local n pid
  for n in $(seq 90 190); do
    if [ -e /tmp/.X$n-lock ]; then
      pid=$( { tr -d ' ' </tmp/.X$n-lock; } 2>/dev/null)
      [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && continue
    elif [ -e /tmp/.X11-unix/X$n ]; then
      continue
    fi
    echo $n; return 0
  done
  return 1
}

start_display() {
  if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then return 0; fi
  local n; n=$(free_display)
  setsid Xvfb :$n -screen 0 1280x800x24 -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 9>&- &
  local pid=$!
  echo $pid >"$state/xvfb.pid"
  echo ":$n" >"$state/display"
  # Ready once its own lock and socket are there (a killed server's may linger).
  for _ in $(seq 100); do
    [ "$( { tr -d ' ' </tmp/.X$n-lock; } 2>/dev/null)" = "$pid" ] && [ -e /tmp/.X11-unix/X$n ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start" >&2; return 1
}

start_wineserver() {  # $1 = prefix; uses DISPLAY
  wine_env "$1"
  setsid wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
  (setsid wine explorer /desktop </dev/null >/dev/null 2>&1 9>&- &)
}

case $cmd in
  start)
    exec 9>"$state/.lock"; flock 9
    make_template
    start_display
    export DISPLAY=$(cat "$state/display")
    if [ ! -f "$unit/.vexo-ready-6" ]; then rm -rf "$unit"; cp -a "$template" "$unit"; fi
    start_wineserver "$unit"
    ;;
  stop)
    exec 9>"$state/.lock"; flock 9
    if [ -d "$unit" ]; then wine_env "$unit"; wineserver -k 2>/dev/null || true; fi
    if [ -f "$state/xvfb.pid" ]; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true; rm -f "$state/xvfb.pid"; fi
    ;;
  env)
    wine_env "$unit"
    echo "export WINEPREFIX='$WINEPREFIX' WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=' LC_ALL=zh_CN.UTF-8"
    echo "export ALSA_CONFIG_PATH='$ALSA_CONFIG_PATH' DISPLAY='$(cat "$state/display" 2>/dev/null)'"
    ;;
  newprefix)
    exec 9>"$state/.lock"; flock 9
    make_template
    dest=${3:?destination}
    rm -rf "$dest"; cp -a "$template" "$dest"
    ;;
  *) echo "unknown command $cmd" >&2; exit 2 ;;
esac
