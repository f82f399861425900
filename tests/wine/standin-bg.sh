#!/bin/bash
# The platform stand-in in the background, for the Windows unit tests that
# talk to a real server (ctest fixture around win.unit):
#   standin-bg.sh start STATE PORT PYTHON   serve on PORT until stopped
#   standin-bg.sh stop STATE                stop the one this STATE started
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cmd=${1:?start|stop}
state=${2:?state directory}
mkdir -p "$state"
pidfile=$state/standin-unit.pid

stop() {
  if [ -f "$pidfile" ]; then
    kill "$(cat "$pidfile")" 2>/dev/null || true
    rm -f "$pidfile"
  fi
}

case $cmd in
  start)
    port=${3:?port}
    python=${4:-python3}
    stop
    setsid "$python" "$here/../../tools/platform/standin.py" --port "$port" </dev/null >"$state/standin-unit.log" 2>&1 &
    echo $! >"$pidfile"
    for _ in $(seq 100); do
      if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then exit 0; fi
      sleep 0.1
    done
    echo "the stand-in did not start on port $port" >&2
    exit 1
    ;;
  stop) stop ;;
  *) echo "unknown command $cmd" >&2; exit 2 ;;
esac
