#!/bin/sh
# The frame cap's point is an idle processor: the saver's processor time over 20 seconds of
# frames, uncapped and with --max-fps 30, on a private Xvfb server whose root window is the
# daemon's (320 x 240, so that the uncapped run is well above 30 frames a second even on
# Mesa's software renderer). Start-up is left out: the clock starts 6 seconds in.
#
#   bench/cpu-cap.sh [build-folder]      (default: build)
# Prints both figures and fails when the capped run used more than half of the uncapped one.
set -eu
build="${1:-build}"
program="$build/bin/tickwood"
[ -x "$program" ] || { echo "no $program: build it first" >&2; exit 2; }
work="$(mktemp -d)"
trap 'kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 320x240x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(cat "$work/display")"

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# cpu_seconds <options...>: processor seconds used from 6 s to 26 s of a run.
cpu_seconds() {
  env DISPLAY="$display" XDG_CONFIG_HOME="$work" XDG_RUNTIME_DIR="$work" SDL_AUDIODRIVER=dummy \
    "$program" --root --seconds 40 "$@" >/dev/null 2>&1 &
  pid=$!
  sleep 6
  before=$(ticks "$pid")
  sleep 20
  after=$(ticks "$pid")
  kill -TERM "$pid"
  wait "$pid" || true
  echo "$before $after $(getconf CLK_TCK)" | awk '{ printf "%.2f", ($2 - $1) / $3 }'
}

uncapped=$(cpu_seconds)
capped=$(cpu_seconds --max-fps 30)
echo "processor time over 20 s: uncapped ${uncapped} s, --max-fps 30 ${capped} s"
awk -v u="$uncapped" -v c="$capped" 'BEGIN { printf "capped / uncapped = %.2f\n", c / u; exit !(c <= u / 2) }'
