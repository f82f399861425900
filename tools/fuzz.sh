#!/bin/bash
# Runs one fuzz target for longer: tools/fuzz.sh TARGET SECONDS
# (TARGET: page_command, hot_key, stored_state, http_url, run_mode,
# flash_version, x86_entry, update_config, transfer_rules, browser_pages,
# cache_paths, key_capture, tabs; see tests/fuzz/fuzz_*.cpp).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?target}; seconds=${2:-60}
native=$root/build/native
[ -f "$native/CMakeCache.txt" ] || cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Asan >/dev/null
cmake --build "$native" -j2 --target vexo_fuzz >/dev/null
exec "$root/tests/fuzz/run.sh" "$native/fuzz/fuzz_$target" "$root/tests/fuzz/corpus/$target" "-t$seconds" \
  "$native/fuzz-artifacts"
