#!/bin/bash
# run.sh FUZZER SEEDS RUNS|-tSECONDS ARTIFACTS: one libFuzzer run over the
# seed corpus. New inputs go to a scratch folder, never into the tree; a crash
# leaves its input in ARTIFACTS (make it a unit test).
set -euo pipefail
fuzzer=$1 seeds=$2 amount=$3 artifacts=$4
mkdir -p "$artifacts" "$seeds"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
limit=(-runs="$amount")
[[ $amount == -t* ]] && limit=(-max_total_time="${amount#-t}")
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec "$fuzzer" "${limit[@]}" -max_len=1024 -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$artifacts/$(basename "$fuzzer")-" "$scratch" "$seeds"
