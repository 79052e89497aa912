#!/usr/bin/env bash
# Kills a writer of the settings (the saver's own settings store, alternating between two
# complete sets of values) with SIGKILL at random moments of its writes, and reads the file
# back after each kill: it must never be damaged and every value must be one of the two
# written, never lost. The count of files holding a mix of the two sets is reported: each
# value is written on its own (as the registry writes values), so a kill between two values
# leaves such a mix.
#   scripts/drills/settings-torn.sh [kills, default 100]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
kills="${1:-100}"
DRILL_TOOL="${DRILL_TOOL:-$(dirname "$TICKWOOD_BIN")/tickwood_settings_drill}"
[ -x "$DRILL_TOOL" ] || fail "no $DRILL_TOOL (build the tickwood_settings_drill target)"

"$DRILL_TOOL" write 1 >/dev/null || fail "the first complete write failed"
declare -A outcomes=([a]=0 [b]=0 [mix]=0)
for kill_number in $(seq 1 "$kills"); do
  "$DRILL_TOOL" write &
  pid=$!
  delay=$((RANDOM % 400))
  sleep "$(printf '0.%03d' "$delay")"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  # A temporary file left by the kill is the next write's to replace; it is never read.
  outcome=$("$DRILL_TOOL" check 2>"$DRILL_DIR/check.err") ||
    fail "after kill $kill_number (at $delay ms): $outcome $(tr '\n' ' ' <"$DRILL_DIR/check.err")"
  outcomes[$outcome]=$((${outcomes[$outcome]:-0} + 1))
done
echo "settings-torn: $kills kills: ${outcomes[a]} files held set a, ${outcomes[b]} set b," \
  "${outcomes[mix]} a mix of the two; none damaged, no value lost"
echo "settings-torn: passed"
