#!/usr/bin/env bash
# The running program's own benchmark at 640 x 480: every context's update and render times, its
# init time, the start-up time and the ocean's FFT floor, on the recording device (the engine's CPU
# cost) and on headless OpenGL. Builds only the program and its data (no setup: run scripts/run.sh
# or scripts/build.sh once first). Each figure comes with the machine's load, since the cores may
# be shared. TESTBED names another build of the program to compare (the data of this build is used).
#   bash scripts/bench.sh [--runs N] [--device recording|gl] [CONTEXT]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
runs=1
devices=(recording gl)
context=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --device) devices=("$2"); shift 2 ;;
    *) context=("$1"); shift ;;
  esac
done
cmake --build "$build" --target testbed sample_data > /dev/null
program="${TESTBED:-$build/testbed}"

run="$(mktemp -d)"
trap 'rm -rf "$run"' EXIT
for entry in data q3a; do
  if [ -e "$build/$entry" ]; then ln -s "$build/$entry" "$run/$entry"; fi
done
grep -v -e resolutionX -e resolutionY "$build/Test.set" > "$run/Test.set" || true
printf 'set resolutionX 640\nset resolutionY 480\n' >> "$run/Test.set"

for ((i = 1; i <= runs; ++i)); do
  for device in "${devices[@]}"; do
    echo "== run $i, $device, load:$(uptime | sed 's/.*load average://')"
    # Standard error carries the scenes' debug stream: shown only when the run fails.
    if ! (cd "$run" && DISPLAY= WAYLAND_DISPLAY= "$program" --headless --device "$device" \
           --bench ${context[@]+"${context[@]}"} 2> "$run/stderr.txt"); then
      cat "$run/stderr.txt" >&2
      exit 1
    fi
  done
done
