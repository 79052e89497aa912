#!/usr/bin/env bash
# Runs the saver with its settings folder read-only and then on a full disk: each run must
# draw the room, end as usual, and say in its log that the settings file cannot be written.
# Needs root for the two small tmpfs mounts (without it, a folder without write permission
# stands in for the read-only one and the full disk is skipped).
#   scripts/drills/config-folder.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

folder="$XDG_CONFIG_HOME/tickwood"
mkdir -p "$folder"
mounted=""
cleanup() {
  [ -n "$mounted" ] && umount "$folder" 2>/dev/null || true
  chmod -R u+w "$DRILL_DIR" 2>/dev/null || true
  rm -rf "$DRILL_DIR"
}
trap cleanup EXIT

run_saver() { # name
  local log="$DRILL_DIR/log.$1" shot="$DRILL_DIR/$1.png" status=0
  "$TICKWOOD_BIN" /s --seconds 2 --seed 3 --screenshot "$shot" >"$log" 2>&1 || status=$?
  grep -q '^Log closed$' "$log" || fail "$1: the run did not end as usual (exit $status): $(tail -3 "$log" | tr '\n' ' ')"
  [ -s "$shot" ] || fail "$1: no frame was drawn"
  local line
  line=$(grep -m1 'cannot be written' "$log") || fail "$1: nothing in the log says the settings cannot be written"
  echo "$1: ran and drew (exit $status); log: $line"
}

if [ "$(id -u)" -eq 0 ]; then
  mount -t tmpfs -o ro,size=64k tmpfs "$folder" && mounted=1
  run_saver read-only
  umount "$folder" && mounted=""
  mount -t tmpfs -o size=8k tmpfs "$folder" && mounted=1
  dd if=/dev/zero of="$folder/filler" bs=1k count=64 2>/dev/null || true
  run_saver full-disk
  umount "$folder" && mounted=""
else
  chmod a-w "$folder"
  run_saver read-only
  echo "full-disk: skipped (needs root for a small tmpfs)"
fi
echo "config-folder: passed"
