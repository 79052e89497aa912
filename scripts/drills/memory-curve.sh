#!/usr/bin/env bash
# Runs the saver for a while and samples its resident size: prints the curve and fails when
# it still grows after the first fifth of the run (more than 8 MB above the size then).
#   scripts/drills/memory-curve.sh [seconds, default 600] [sample period in seconds, default 10]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
seconds="${1:-600}"
period="${2:-10}"

log="$DRILL_DIR/log"
"$TICKWOOD_BIN" /s --seconds "$seconds" --seed 11 >"$log" 2>&1 &
pid=$!
start=$(now_ms)
baseline=""
last=""
peak=0
echo "memory-curve: seconds resident-kB"
while kill -0 "$pid" 2>/dev/null; do
  rss=$(rss_kb "$pid")
  [ -n "$rss" ] || break
  elapsed=$((($(now_ms) - start) / 1000))
  echo "  $elapsed $rss"
  [ -z "$baseline" ] && [ "$elapsed" -ge $((seconds / 5)) ] && baseline=$rss
  [ "$rss" -gt "$peak" ] && peak=$rss
  last=$rss
  sleep "$period"
done
status=0
wait "$pid" || status=$?
grep -q '^Log closed$' "$log" || fail "the run did not end as usual (exit $status): $(tail -3 "$log" | tr '\n' ' ')"
echo "memory-curve: ${baseline:-?} kB after a fifth of the run, $last kB at the end, peak $peak kB"
[ -n "$baseline" ] || fail "the run ended before a fifth of its time"
[ $((last - baseline)) -le 8192 ] || fail "the resident size grew from $baseline kB to $last kB"
echo "memory-curve: passed"
