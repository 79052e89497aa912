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
