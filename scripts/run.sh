#!/usr/bin/env bash
# Sets up, builds what the program needs (the testbed program and the generated sample data, not the
# tests and benchmarks) and runs it from the build directory, where the generated data and Test.set
# live. With a display it opens the window; without one it renders a headless tour.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" > /dev/null
cmake --build "$build" --parallel "$(nproc)" --target testbed sample_data
cd "$build"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./testbed "$@"
else
  mkdir -p tour
  ./testbed --headless --tour tour "$@"
  echo "No display: rendered a headless tour of every context into $build/tour/"
fi
