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
echo "memory-curve: seconds resident-kB"
sample_resident "$pid" "$seconds" "$period"
status=0
wait "$pid" || status=$?
grep -q '^Log closed$' "$log" || fail "the run did not end as usual (exit $status): $(tail -3 "$log" | tr '\n' ' ')"
check_resident_flat memory-curve
echo "memory-curve: passed"
