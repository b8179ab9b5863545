#!/usr/bin/env bash
# Sets up, builds and runs the test-bed from the build directory, where the generated data and
# Test.set live. With a display it opens the window; without one it renders a headless tour.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh"
cd "$build"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./testbed "$@"
else
  mkdir -p tour
  ./testbed --headless --tour tour "$@"
  echo "No display: rendered a headless tour of every context into $build/tour/"
fi
