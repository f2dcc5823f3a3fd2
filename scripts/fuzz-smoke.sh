#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a short fixed time from its seeds (one core each,
# one after the other, at the lowest priority) and fails when any finds a crash, a leak or a
# hang. Usage: scripts/fuzz-smoke.sh [BUILD_DIR] [SECONDS]   (defaults: build/fuzz, 10)
# The inputs a run adds go to BUILD_DIR/fuzz-smoke/NAME, a finding to
# BUILD_DIR/fuzz-smoke/NAME-crash-... and the run's output to BUILD_DIR/fuzz-smoke/NAME.log.
set -uo pipefail
build=${1:-build/fuzz}
seconds=${2:-10}
work=$build/fuzz-smoke
rm -rf "$work"
mkdir -p "$work"

passed=0
failed=0
for target in "$build"/fuzz_*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  format=${name#fuzz_}
  format=${format%_fuzz}
  seeds=$build/fuzz-seeds/$format
  mkdir -p "$work/$format" "$seeds"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$work/$format-")
  [ -f "$seeds.dict" ] && args+=(-dict="$seeds.dict")
  log=$work/$format.log
  if nice -n 19 "$target" "${args[@]}" "$work/$format" "$seeds" >"$log" 2>&1; then
    passed=$((passed + 1))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    echo "fuzz-smoke: $format: ok, ${runs:-?} inputs, ${rate:-?}/s, $cov"
  else
    failed=$((failed + 1))
    echo "fuzz-smoke: $format: FAILED (see $log)"
    tail -n 40 "$log"
  fi
done
echo "fuzz-smoke: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
