#!/usr/bin/env bash
# Measures the game in a private X server: key-to-screen latency, processor use at the
# prompt, resident memory; refreshes docs/turn-screen.png from the test's screenshot.
# Usage: tools/measure_game.sh [build-dir]   (the game and game_e2e must be built there)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
"$here/tools/with-xvfb.sh" "$build/tests/game_e2e" --gtest_also_run_disabled_tests \
  --gtest_filter='GameFigures.*:Game.IntroWaits*' 2>&1 | grep -E '^figure:|^\[  (FAILED|PASSED) |screenshot:.*turn_screen'
mkdir -p "$here/docs"
cp "$build/tests/game_turn_screen.png" "$here/docs/turn-screen.png"
echo "docs/turn-screen.png refreshed"
