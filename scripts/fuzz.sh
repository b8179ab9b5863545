#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan into build-fuzz/ (or $FUZZ_BUILD_DIR),
# writes their seed corpora with the data generator and runs each target over its corpus, the
# seeds and the inputs of earlier findings kept in fuzz/regressions/<target>/.
#   bash scripts/fuzz.sh [--runs N | --seconds S] [TARGET...]
# Default: 30 seconds per target. An input that takes more than 10 seconds counts as a finding.
# Findings are saved in build-fuzz/findings/<target>/; the script prints one summary line per
# target and exits 1 when any target found a fault.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
limit="-max_total_time=30"
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) limit="-runs=$2"; shift 2 ;;
    --seconds) limit="-max_total_time=$2"; shift 2 ;;
    -h|--help) sed -n '2,6p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done

bash "$root/scripts/setup.sh" --fuzz
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESTBED_FUZZ=ON > /dev/null
cmake --build "$build" --parallel "$(nproc)" --target fuzzers generate_data

seeds="$build/corpus-seeds"
rm -rf "$seeds"
"$build/tools/datagen/generate_data" --fuzz-corpus "$seeds"

if [ ${#targets[@]} -eq 0 ]; then
  for binary in "$build"/fuzz/fuzz_*; do
    [ -x "$binary" ] && targets+=("$(basename "$binary")")
  done
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
failed=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  work="$build/fuzz-work/$target"
  mkdir -p "$corpus" "$findings" "$work"
  log="$work/fuzz.log"
  status=0
  # The work folder is the working directory, so "GameEngine.log" and temporary files land there.
  inputs=("$corpus" "$seeds/$target")
  [ -d "$root/fuzz/regressions/$target" ] && inputs+=("$root/fuzz/regressions/$target")
  (cd "$work" && "$build/fuzz/$target" "$limit" -timeout=10 -artifact_prefix="$findings/" \
     -print_final_stats=1 "${inputs[@]}" > "$log" 2>&1) || status=$?
  # The last figures are the fuzzer's own (a child process it forked may have printed before).
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)"
  cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || true)"
  if [ "$status" -ne 0 ]; then
    failed=1
    echo "$target: FAILED (status $status) after ${runs:-?} runs, coverage ${cov:-?}; see $log and $findings"
  else
    echo "$target: ${runs:-?} runs, coverage ${cov:-?} edges, no findings"
  fi
done
exit $failed
