#!/usr/bin/env bash
# Installs what is missing, builds the program and runs it. Arguments go to the program.
set -euo pipefail
TICKWOOD_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$TICKWOOD_ROOT/scripts/common.sh"

install_dependencies
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$TICKWOOD_ROOT/build" --target tickwood

exec "$TICKWOOD_ROOT/build/bin/tickwood" "$@"
