#!/usr/bin/env bash
# Runs the program over damaged copies of its data set: the data or game folder missing, every
# texture replaced by garbage, cut in half or emptied, the other data files (meshes, scenes) garbage
# or cut, the game archive cut, garbage or damaged inside its members (the directory intact), and
# every data file unreadable (mode 000, run as the
# unprivileged user "nobody", since root reads such files anyway). Each case is a headless tour of
# all contexts in the sanitizer build (build-sanitize/, or $SANITIZE_BUILD_DIR; any other build with
# BUILD_DIR=...). A case passes when the program exits 0 without a sanitizer report, saves a
# picture of every context, and writes no error line twice (each missing or damaged file is
# reported once). Columns: "not found." lines, all error lines, error lines repeated.
# Prints one line per case; the run folders (data, log, pictures) stay in <build>/damaged-data/.
#   bash scripts/damaged-data.sh [CASE...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-${SANITIZE_BUILD_DIR:-$root/build-sanitize}}"
work="$build/damaged-data"
source "$root/scripts/sanitizer-env.sh"

all_cases=(intact no-data no-game-data textures-garbage textures-truncated textures-empty
           other-files-garbage other-files-truncated archive-truncated archive-garbage
           archive-damaged-inside unreadable)
cases=("$@")
[ ${#cases[@]} -eq 0 ] && cases=("${all_cases[@]}")

if [ -z "${BUILD_DIR:-}" ]; then
  bash "$root/scripts/setup.sh" --fuzz
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESTBED_FUZZ=ON > /dev/null
  cmake --build "$build" --parallel "$(nproc)" --target testbed sample_data > /dev/null
fi

textures() { find "$1/data" -type f \( -iname '*.tga' -o -iname '*.bmp' -o -iname '*.jpg' -o -iname '*.png' \); }
other_files() { find "$1/data" -type f ! \( -iname '*.tga' -o -iname '*.bmp' -o -iname '*.jpg' -o -iname '*.png' \); }
garbage() { while read -r f; do head -c "$(stat -c %s "$f")" /dev/urandom > "$f.new"; mv "$f.new" "$f"; done; }
halve() { while read -r f; do truncate -s "$(( $(stat -c %s "$f") / 2 ))" "$f"; done; }
empty() { while read -r f; do truncate -s 0 "$f"; done; }

# Makes the damaged copy of the data set for one case in folder $2.
prepare() {
  local name="$1" dir="$2"
  rm -rf "$dir"
  mkdir -p "$dir"
  cp -r "$build/data" "$build/q3a" "$build/Test.set" "$dir/"
  local archive="$dir/q3a/baseq3/pak0.pk3"
  case "$name" in
    intact) ;;
    no-data) rm -rf "$dir/data" ;;
    no-game-data) rm -rf "$dir/q3a" ;;
    textures-garbage) textures "$dir" | garbage ;;
    textures-truncated) textures "$dir" | halve ;;
    textures-empty) textures "$dir" | empty ;;
    other-files-garbage) other_files "$dir" | garbage ;;
    other-files-truncated) other_files "$dir" | halve ;;
    archive-truncated) echo "$archive" | halve ;;
    archive-garbage) echo "$archive" | garbage ;;
    archive-damaged-inside)
      # Garbage over the members' data; the directory at the end stays whole, so every member is
      # found and its data fails to inflate or holds nonsense.
      local size
      size=$(stat -c %s "$archive")
      head -c $(( size / 2 )) /dev/urandom |
        dd of="$archive" bs=1024 seek=1 iflag=fullblock conv=notrunc status=none ;;
    unreadable) find "$dir/data" "$dir/q3a" -type f -exec chmod 000 {} + ;;
    *) echo "damaged-data.sh: unknown case $name (cases: ${all_cases[*]})" >&2; exit 2 ;;
  esac
}

failed=0
printf '%-22s %-6s %-9s %-12s %-7s %-9s %s\n' case status pictures "not found" errors repeated sanitizer
for name in "${cases[@]}"; do
  dir="$work/$name"
  prepare "$name" "$dir"
  mkdir -p "$dir/tour"
  run=(env HOME="$dir" MESA_SHADER_CACHE_DISABLE=true "$build/testbed" --headless --tour "$dir/tour")
  if [ "$name" = unreadable ] && [ "$(id -u)" -eq 0 ]; then
    # The program writes its log and pictures into the run folder, as the unprivileged user.
    chmod 777 "$dir" "$dir/tour"
    run=(setpriv --reuid=65534 --regid=65534 --clear-groups "${run[@]}")
  fi
  status=0
  (cd "$dir" && "${run[@]}" > "$dir/stdout.txt" 2> "$dir/stderr.txt") || status=$?
  pictures=$(find "$dir/tour" -name '*.png' | wc -l)
  # Error lines without their time stamps; the same line twice means a file was reported twice.
  errors="$dir/errors.txt"
  (grep '^ERROR' "$dir/GameEngine.log" 2>/dev/null || true) | sed 's/^ERROR @ [^:]*: //' > "$errors"
  missing=$(grep -c ' not found\.$' "$errors" || true)
  repeated=$(sort "$errors" | uniq -d | wc -l)
  reports=$(grep -cE "Sanitizer|runtime error" "$dir/stderr.txt" || true)
  verdict=ok
  if [ "$status" -ne 0 ] || [ "$pictures" -ne 12 ] || [ "$repeated" -ne 0 ] || [ "$reports" -ne 0 ]; then
    verdict="FAILED (see $dir)"
    failed=1
  fi
  printf '%-22s %-6s %-9s %-12s %-7s %-9s %-9s %s\n' "$name" "$status" "$pictures/12" "${missing:-0}" \
    "$(wc -l < "$errors")" "$repeated" "$reports" "$verdict"
done
exit $failed
