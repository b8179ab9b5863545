#!/usr/bin/env bash
# The sanitizer pass: builds everything with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# (and libFuzzer's instrumentation, so scripts/fuzz.sh can reuse the tree) into build-sanitize/ (or
# $SANITIZE_BUILD_DIR), runs every test, then a headless tour of all contexts. Any sanitizer report
# (memory error, undefined behaviour, leak) fails the pass. Leaks inside libraries we cannot fix are
# listed, with their reasons, in scripts/sanitizer-suppressions.txt.
#   bash scripts/sanitize.sh [--no-tests] [--no-tour]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SANITIZE_BUILD_DIR:-$root/build-sanitize}"
run_tests=1
run_tour=1
while [ $# -gt 0 ]; do
  case "$1" in
    --no-tests) run_tests=0; shift ;;
    --no-tour) run_tour=0; shift ;;
    -h|--help) sed -n '2,7p' "$0"; exit 0 ;;
    *) echo "sanitize.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

source "$root/scripts/sanitizer-env.sh"

bash "$root/scripts/setup.sh" --fuzz
# -O1 and line tables only: reports keep file and line, and the tree builds a third faster.
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" -DTESTBED_FUZZ=ON > /dev/null
# The build runs the data generator and lists the tests, both sanitized, so it reports too.
cmake --build "$build" --parallel "$(nproc)"

status=0
if [ "$run_tests" -eq 1 ]; then
  (cd "$build" && ctest --output-on-failure --parallel "$(nproc)" --timeout 900) || status=1
fi

if [ "$run_tour" -eq 1 ]; then
  tour="$build/sanitize-tour"
  rm -rf "$tour"
  mkdir -p "$tour"
  tour_status=0
  (cd "$build" && ./testbed --headless --tour "$tour" > "$tour/stdout.txt" 2> "$tour/stderr.txt") || tour_status=$?
  pictures=$(find "$tour" -name '*.png' | wc -l)
  if [ "$tour_status" -ne 0 ] || grep -qE "Sanitizer|runtime error" "$tour/stderr.txt"; then
    echo "sanitize: the headless tour failed (status $tour_status); its standard error:"
    cat "$tour/stderr.txt"
    status=1
  else
    echo "sanitize: headless tour of $pictures contexts, no sanitizer reports"
  fi
fi
exit $status
