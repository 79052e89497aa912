#!/usr/bin/env bash
# Stops the saver with SIGTERM (a screensaver daemon's way) at random points of its start-up
# and of its first frames, and checks each time that it is gone within 0.5 s and that it left
# by its own exit, not by the signal or a crash.
#   scripts/drills/sigterm-startup.sh [runs, default 20] [latest signal in ms, default 2000]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
runs="${1:-20}"
latest="${2:-2000}"
limit_ms=500

slowest=0
failures=0
for run in $(seq 1 "$runs"); do
  delay=$((RANDOM % latest))
  log="$DRILL_DIR/log.$run"
  "$TICKWOOD_BIN" /s --seconds 60 --seed "$run" >"$log" 2>&1 &
  pid=$!
  sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
  sent=$(now_ms)
  kill -TERM "$pid" 2>/dev/null || true
  while kill -0 "$pid" 2>/dev/null && [ $(($(now_ms) - sent)) -lt 5000 ]; do sleep 0.01; done
  took=$(($(now_ms) - sent))
  status=0
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    status=killed
  fi
  wait "$pid" 2>/dev/null || status=$?
  [ "$took" -gt "$slowest" ] && slowest=$took
  verdict=ok
  if [ "$status" = killed ] || [ "$took" -gt "$limit_ms" ]; then
    verdict="too slow"
  elif [ "$status" -ge 128 ]; then
    verdict="ended by signal $((status - 128))"
  elif grep -q 'ERROR: \(Leak\|Address\)Sanitizer\|runtime error:' "$log"; then
    verdict="sanitizer report"
  fi
  last_line=$(grep -v '^$' "$log" | tail -1)
  echo "run $run: signal after $delay ms, gone after $took ms, exit $status, last line \"$last_line\": $verdict"
  [ "$verdict" = ok ] || failures=$((failures + 1))
done
echo "sigterm-startup: $runs runs, slowest exit $slowest ms, $failures failures"
[ "$failures" -eq 0 ] || fail "$failures of $runs runs did not end cleanly within $limit_ms ms"
echo "sigterm-startup: passed"
