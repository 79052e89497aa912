#!/usr/bin/env bash
# An hour of the saver's life in a minute: the program's clock runs 60 times as fast
# ("TICKWOOD_CLOCK_RATE"), so the tours, storms and hands go through an hour while the
# resident size is sampled. Fails when it still grows after the first fifth of the run, or
# when the run does not end as usual. With a sanitized program (TICKWOOD_BIN=build-asan/...)
# LeakSanitizer looks at what is left at the end; the system's graphics libraries are
# outside its judgement (scripts/drills/lsan.supp).
#   scripts/drills/accelerated-hour.sh [program seconds, default 3600] [rate, default 60]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
seconds="${1:-3600}"
rate="${2:-60}"
export TICKWOOD_CLOCK_RATE="$rate"
export LSAN_OPTIONS="suppressions=$DRILLS_ROOT/scripts/drills/lsan.supp:print_suppressions=0"

log="$DRILL_DIR/log"
"$TICKWOOD_BIN" /s --seconds "$seconds" --seed 7 >"$log" 2>&1 &
pid=$!
start=$(now_ms)
baseline=""
last=""
peak=0
real=$((seconds / rate))
echo "accelerated-hour: $seconds s of program time at $rate x; real seconds, resident kB"
while kill -0 "$pid" 2>/dev/null; do
  rss=$(rss_kb "$pid")
  [ -n "$rss" ] || break
  elapsed=$((($(now_ms) - start) / 1000))
  echo "  $elapsed $rss"
  [ -z "$baseline" ] && [ "$elapsed" -ge $((real / 5)) ] && baseline=$rss
  [ "$rss" -gt "$peak" ] && peak=$rss
  last=$rss
  sleep 2
done
status=0
wait "$pid" || status=$?
grep -q 'LeakSanitizer' "$log" && fail "leaks at the end: $(grep -A5 'LeakSanitizer' "$log" | head -8 | tr '\n' ' ')"
grep -q '^Log closed$' "$log" || fail "the run did not end as usual (exit $status): $(tail -3 "$log" | tr '\n' ' ')"
echo "accelerated-hour: ${baseline:-?} kB after a fifth of the run, $last kB at the end, peak $peak kB"
[ -n "$baseline" ] || fail "the run ended before a fifth of its time"
[ $((last - baseline)) -le 8192 ] || fail "the resident size grew from $baseline kB to $last kB"
echo "accelerated-hour: passed"
