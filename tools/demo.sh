#!/bin/bash
# Builds VexoQuon.exe against the platform stand-in and runs it under Wine:
# on the current X display if there is one, otherwise in Xvfb with a
# screenshot. Arguments are passed to the launcher (default: none, which runs
# the installed copy as a player's shortcut would).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
. "$root/tests/wine/wine-arch.sh"
vexo_wine_arch
arch=i686
build=$root/build/win
[ "$VEXO_WINE32" != none ] || { arch=x86_64; build=$root/build/win64; }
vexo_wine_for $arch
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DVEXO_ARCH=$arch \
  -C "$root/cmake/standin-hosts.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target VexoQuon

state=$build/wine-session
prefix=$root/build/demo-prefix
[ -d "$prefix/drive_c" ] || "$root/tests/wine/session.sh" newprefix "$state" "$prefix"
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=" LC_ALL=zh_CN.UTF-8
export ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf:$root/tests/wine/asound-null.conf

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wineserver -k 2>/dev/null || true; }
trap cleanup EXIT

python3 "$root/tools/platform/standin.py" --port 47180 --log "$root/build/demo-requests.jsonl" &
pids+=($!)

headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  n=99; while [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb :$n -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=:$n
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
fi

# A player's machine runs the copy installed in the data folder.
data="$prefix/drive_c/ProgramData/Vexo/GameLogin"
mkdir -p "$data"
# Replaced by a rename, never rewritten: an earlier demo may still run it.
cp "$build/VexoQuon.exe" "$data/VexoQuon.exe.new" && mv -f "$data/VexoQuon.exe.new" "$data/VexoQuon.exe"
wineserver -p </dev/null >/dev/null 2>&1 || true
echo "Starting VexoQuon under Wine on $DISPLAY (stand-in on http://127.0.0.1:47180)"
wine "$data/VexoQuon.exe" "$@" </dev/null >/dev/null 2>&1 &
app=$!

if [ $headless -eq 1 ]; then
  for _ in $(seq 80); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
  sleep 3
  shot=$root/build/demo-screenshot.png
  import -window root "$shot" 2>/dev/null || true
  echo "Screenshot of the headless display: $shot"
  kill $app 2>/dev/null || true
else
  wait $app || true
fi
echo "Requests the stand-in saw: $root/build/demo-requests.jsonl"
