#!/bin/bash
# Runs a Windows test program under Wine in the test session's unit prefix
# (CMAKE_CROSSCOMPILING_EMULATOR): wine-run.sh STATE program.exe args...
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
state=${1:?state directory}; shift
if [ ! -f "$state/xvfb.pid" ] || ! kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
  "$here/session.sh" start "$state"
fi
eval "$("$here/session.sh" env "$state")"
exec wine "$@"
