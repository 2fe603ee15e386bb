#!/usr/bin/env bash
# Sets up what is missing, builds every preset and runs every test: native,
# under AddressSanitizer/UBSan, the Windows build under Wine, and a short
# fuzz run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
jobs=$(nproc)
fuzz_seconds=${TARSIL_FUZZ_SECONDS:-20}

for preset in linux linux-asan windows; do
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

echo "== fuzz (${fuzz_seconds}s per target) =="
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
for fuzzer in build/fuzz/fuzz/*_fuzzer; do
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  seeds=fuzz/corpus/${name%_fuzzer}
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  echo "-- $name"
  log=$(mktemp)
  if ! "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$corpus" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "$name failed" >&2
    exit 1
  fi
  grep -E 'stat::number_of_executed_units' "$log" || true
  rm -f "$log"
  rm -rf "$corpus"
done
echo "All tests passed."
