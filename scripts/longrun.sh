#!/usr/bin/env bash
# Long runs of every context.
#  1. The sanitizer build (build-sanitize/, or $SANITIZE_BUILD_DIR): each context alone for 1000
#     headless frames with leak checking; any sanitizer report or a non-zero status fails.
#  2. The normal build (build/, or $BUILD_DIR): bench_app's LongRunMemory gives each context's
#     resident memory after 100, 1000 and 3000 frames, one process per context, on the recording
#     device (the engine alone), with OpenGL on llvmpipe rendering on the calling thread
#     (LP_NUM_THREADS=0), and with OpenGL as the program runs it (llvmpipe's rendering threads).
#     The first two fail when they grow by more than 1 MiB from frame 100 to frame 1000. The last
#     is reported only: llvmpipe's threads and glibc's heaps take up to a few thousand frames and
#     tens of megabytes to settle, by amounts that differ from run to run, and are flat after that.
#     Resident memory is measured without the sanitizers, whose quarantine of freed memory would
#     hide or fake a growth.
#   bash scripts/longrun.sh [--frames N] [--no-sanitizer] [--no-memory]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
sanitized="${SANITIZE_BUILD_DIR:-$root/build-sanitize}"
normal="${BUILD_DIR:-$root/build}"
frames=1000
run_sanitizer=1
run_memory=1
max_growth_kib=1024
while [ $# -gt 0 ]; do
  case "$1" in
    --frames) frames="$2"; shift 2 ;;
    --no-sanitizer) run_sanitizer=0; shift ;;
    --no-memory) run_memory=0; shift ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) echo "longrun.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

# The switching order of the test application.
contexts=(BumpContext Md3Context BumpMd3Context TestContext ParticleContext ShadowVolumeContext
          LwsImportContext TerrainContext ChoppyWavesContext Water2DContext NewaveContext
          GerstnerWavesContext)
failed=0

if [ "$run_sanitizer" -eq 1 ]; then
  source "$root/scripts/sanitizer-env.sh"
  bash "$root/scripts/setup.sh" --fuzz
  CC=clang CXX=clang++ cmake -S "$root" -B "$sanitized" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESTBED_FUZZ=ON > /dev/null
  cmake --build "$sanitized" --parallel "$(nproc)" --target testbed sample_data > /dev/null
  logs="$sanitized/longrun"
  mkdir -p "$logs"
  for context in "${contexts[@]}"; do
    status=0
    start=$(date +%s)
    (cd "$sanitized" && ./testbed --headless --context "$context" --frames "$frames" --fixed-step 20 \
       > "$logs/$context.out" 2> "$logs/$context.err") || status=$?
    seconds=$(( $(date +%s) - start ))
    if [ "$status" -ne 0 ] || grep -qE "Sanitizer|runtime error" "$logs/$context.err"; then
      echo "sanitized $context: FAILED (status $status) after ${seconds} s; see $logs/$context.err"
      failed=1
    else
      echo "sanitized $context: $frames frames in ${seconds} s, exit 0, no sanitizer reports"
    fi
  done
fi

if [ "$run_memory" -eq 1 ]; then
  export -n ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS 2>/dev/null || true
  BUILD_DIR="$normal" bash "$root/scripts/build.sh" > /dev/null
  printf '%-12s %-22s %10s %10s %10s %11s %11s\n' device context "RSS@100" "RSS@1000" "RSS@3000" \
    "100-1000" "2000-3000"
  for run in Recording Gl:LP_NUM_THREADS=0 Gl; do
    kind="${run%%:*}"
    setting="${run#"$kind"}"
    setting="${setting#:}"
    for index in "${!contexts[@]}"; do
      csv="$(env ${setting:+"$setting"} "$normal/benchmarks/app/bench_app" \
               --benchmark_filter="^LongRunMemory$kind/$index/" --benchmark_format=csv 2> /dev/null |
             grep '^"LongRunMemory' || true)"
      # Columns: name, iterations, times, unit, bytes/s, items/s, label, error, message, then the
      # counters in name order: growth_KiB, later_KiB, rss1000_KiB, rss100_KiB, rss3000_KiB.
      IFS=, read -r _ _ _ _ _ _ _ label error _ growth later after1000 after100 after3000 <<< "$csv"
      device="$kind${setting:+ 1 thread}"
      if [ -z "$csv" ] || [ "$error" = "true" ]; then
        echo "$device ${contexts[$index]}: memory run FAILED"
        failed=1
        continue
      fi
      printf '%-12s %-22s %10.0f %10.0f %10.0f %11.0f %11.0f KiB\n' "$device" "${label//\"/}" "$after100" \
        "$after1000" "$after3000" "$growth" "$later"
      if [ "$run" != Gl ] && [ "$(printf '%.0f' "$growth")" -gt "$max_growth_kib" ]; then
        echo "  grew by more than $max_growth_kib KiB from frame 100 to frame 1000"
        failed=1
      fi
    done
  done
fi
exit $failed
