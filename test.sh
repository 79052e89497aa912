#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite: once in the
# normal build and once with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
TICKWOOD_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$TICKWOOD_ROOT/scripts/common.sh"

install_dependencies

echo "== formatting"
"$TICKWOOD_ROOT/scripts/check-format.sh"

echo "== normal build"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTICKWOOD_WERROR=ON
cmake --build "$TICKWOOD_ROOT/build"
(cd "$TICKWOOD_ROOT/build" && ctest -j2 --timeout 600 --output-on-failure)

echo "== sanitizer build"
configure build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DTICKWOOD_SANITIZE=ON -DTICKWOOD_WERROR=ON -DTICKWOOD_BENCH=OFF
cmake --build "$TICKWOOD_ROOT/build-asan"
(cd "$TICKWOOD_ROOT/build-asan" && ctest -j2 --timeout 900 --output-on-failure)

echo "All tests passed."
