#!/usr/bin/env bash
# Long fuzz runs: every fuzz target for RUNS inputs (default ten million) from its seed corpus,
# or for a time ("300s"), printing each target's executions and findings. Not part of CI, which
# runs each for 20 seconds.
#
#   bench/fuzz.sh [runs|SECONDSs] [target...]
#
# A finding is saved as build/sanitize/findings/<target>/crash-*; make it a unit test.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
runs=${1:-10000000}
shift || true
limit=-runs=$runs
[[ $runs == *s ]] && limit=-max_total_time=${runs%s}
cmake --preset sanitize >/dev/null && cmake --build --preset sanitize >/dev/null ||
  { echo "fuzz: the sanitize build failed (is another build of it running?)" >&2; exit 1; }
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in build/sanitize/tests/fuzz/*_fuzz; do targets+=("$(basename "$exe" _fuzz)"); done
fi
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
printf '%-12s %14s %9s %8s\n' target executions findings seconds
for t in "${targets[@]}"; do
  corpus=build/sanitize/fuzz-corpus/$t findings=build/sanitize/findings/$t
  mkdir -p "$corpus" "$findings"
  began=$SECONDS
  # libFuzzer's own report, progress lines included, goes to findings/<target>.log.
  build/sanitize/tests/fuzz/${t}_fuzz "$limit" -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "tests/fuzz/corpus/$t" \
    >"$findings.log" 2>&1
  executed=$(grep -o 'number_of_executed_units: [0-9]*' "$findings.log" | tail -1 | grep -o '[0-9]*$')
  found=$(find "$findings" -type f | wc -l)
  printf '%-12s %14s %9s %8s\n' "$t" "${executed:-?}" "$found" "$((SECONDS - began))"
done
