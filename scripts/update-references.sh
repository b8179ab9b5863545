#!/usr/bin/env bash
# Regenerates the reference pictures of the visual tests (tests/app/reference/*.png) from a headless
# tour at 320x240 and the scripted pictures of reference/scripted/, run exactly as the visual test
# runs them. Use it on purpose, when a context's picture is meant to change, and say so in the
# commit that adds the new pictures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh"

run="$(mktemp -d)"
trap 'rm -rf "$run"' EXIT
for entry in data q3a; do
  if [ -e "$build/$entry" ]; then ln -s "$build/$entry" "$run/$entry"; fi
done
settings="$run/Test.set"
if [ -f "$build/Test.set" ]; then
  grep -v -e resolutionX -e resolutionY "$build/Test.set" > "$settings" || true
fi
grep -q windowName "$settings" 2>/dev/null || echo "set windowName testbed" >> "$settings"
printf 'set resolutionX 320\nset resolutionY 240\n' >> "$settings"

references="$root/tests/app/reference"
(cd "$run" && DISPLAY= WAYLAND_DISPLAY= "$build/testbed" --headless --tour tour)
mkdir -p "$references"
cp "$run"/tour/*.png "$references/"

# Pictures after scripted input: reference/scripted/<name>.input names its context and frame count
# in its "# context: " and "# frames: " lines (the visual test runs them the same way).
for script in "$references"/scripted/*.input; do
  [ -e "$script" ] || continue
  name="$(basename "$script" .input)"
  context="$(sed -n 's/^# context: //p' "$script" | head -1)"
  frames="$(sed -n 's/^# frames: //p' "$script" | head -1)"
  (cd "$run" && DISPLAY= WAYLAND_DISPLAY= "$build/testbed" --headless --fixed-step 20 \
     --context "$context" --frames "$frames" --input "$script" --screenshot "$name.png" > /dev/null)
  cp "$run/$name.png" "$references/$name.png"
done
echo "References updated in $root/tests/app/reference/"
