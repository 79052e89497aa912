#!/usr/bin/env bash
# Installs what is missing, builds the program and runs it. Arguments go to the program;
# without any, the screensaver runs: on the screen when there is a display, else headless
# for a few seconds with its last frame written to a PNG file.
set -euo pipefail
TICKWOOD_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$TICKWOOD_ROOT/scripts/common.sh"

install_dependencies
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$TICKWOOD_ROOT/build" --target tickwood

if [ $# -eq 0 ]; then
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Running the screensaver; a key or a mouse button ends it."
    set -- /s
  else
    screenshot="$TICKWOOD_ROOT/build/tickwood-screenshot.png"
    echo "No display: running the screensaver headless for 5 seconds."
    set -- /s --seconds 5 --screenshot "$screenshot"
  fi
fi
exec "$TICKWOOD_ROOT/build/bin/tickwood" "$@"
