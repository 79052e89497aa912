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
echo "accelerated-hour: $seconds s of program time at $rate x; real seconds, resident kB"
sample_resident "$pid" $((seconds / rate)) 2
status=0
wait "$pid" || status=$?
grep -q 'LeakSanitizer' "$log" && fail "leaks at the end: $(grep -A5 'LeakSanitizer' "$log" | head -8 | tr '\n' ' ')"
grep -q '^Log closed$' "$log" || fail "the run did not end as usual (exit $status): $(tail -3 "$log" | tr '\n' ' ')"
check_resident_flat accelerated-hour
echo "accelerated-hour: passed"
