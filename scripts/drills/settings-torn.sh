#!/usr/bin/env bash
# Kills a writer of the settings (saving them as the settings dialog does, alternating
# between two complete sets of values) with SIGKILL at random moments of its writes, and
# reads the file back after each kill: it must never be damaged, and it must hold one set
# whole, never a value of each.
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
  [ "$outcome" != mix ] || fail "after kill $kill_number (at $delay ms) the file holds values of both sets"
done
echo "settings-torn: $kills kills: ${outcomes[a]} files held set a, ${outcomes[b]} set b," \
  "none damaged, none a mix of the two"
echo "settings-torn: passed"
