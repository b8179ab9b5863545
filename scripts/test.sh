#!/usr/bin/env bash
# Sets up, builds from scratch if needed and runs every test through CTest.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
