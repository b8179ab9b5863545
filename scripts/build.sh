#!/usr/bin/env bash
# Sets up the machine, configures and builds everything (program, tests, benchmarks, sample data)
# into build/ (or $BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" > /dev/null
cmake --build "$build" --parallel "$(nproc)"
