# Shared by the drills: the program to drill, a headless run's environment, a private settings
# folder, and the resident size of a process.
DRILLS_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
TICKWOOD_BIN="${TICKWOOD_BIN:-$DRILLS_ROOT/build/bin/tickwood}"
if [ ! -x "$TICKWOOD_BIN" ]; then
  echo "no program at $TICKWOOD_BIN (build the tickwood target, or set TICKWOOD_BIN)" >&2
  exit 2
fi

DRILL_DIR="$(mktemp -d "${TMPDIR:-/tmp}/tickwood-drill.XXXXXX")"
trap 'rm -rf "$DRILL_DIR"' EXIT
export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
export XDG_CONFIG_HOME="$DRILL_DIR/config"
export TICKWOOD_LOG=1
mkdir -p "$XDG_CONFIG_HOME"

# Resident size of process $1 in kB (empty once it has gone).
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }

# Milliseconds since the epoch.
now_ms() { date +%s%3N; }

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Samples the resident size of process $1 every $3 seconds until it has gone, printing
# "  SECONDS kB" lines. Sets rss_baseline (the size once a fifth of the $2 seconds the run
# is expected to take have passed), rss_last and rss_peak.
sample_resident() {
  local pid=$1 expected=$2 period=$3 start rss elapsed
  start=$(now_ms)
  rss_baseline=""
  rss_last=""
  rss_peak=0
  while kill -0 "$pid" 2>/dev/null; do
    rss=$(rss_kb "$pid")
    [ -n "$rss" ] || break
    elapsed=$((($(now_ms) - start) / 1000))
    echo "  $elapsed $rss"
    [ -z "$rss_baseline" ] && [ "$elapsed" -ge $((expected / 5)) ] && rss_baseline=$rss
    [ "$rss" -gt "$rss_peak" ] && rss_peak=$rss
    rss_last=$rss
    sleep "$period"
  done
}

# Fails unless the sampled size ended within 8 MB of its size after the first fifth; $1 names
# the drill in the summary line.
check_resident_flat() {
  echo "$1: ${rss_baseline:-?} kB after a fifth of the run, $rss_last kB at the end, peak $rss_peak kB"
  [ -n "$rss_baseline" ] || fail "the run ended before a fifth of its time"
  [ $((rss_last - rss_baseline)) -le 8192 ] || fail "the resident size grew from $rss_baseline kB to $rss_last kB"
}
