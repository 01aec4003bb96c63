#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for a bounded time.
#
#   scripts/fuzz.sh [seconds]     seconds per target, 20 by default
#
# Each target starts from its committed seed corpus (fuzz/corpus/<target>/),
# copied into build/fuzz/fuzz-work/<target>/corpus so that the inputs the
# fuzzer adds stay out of the source tree. Any finding (crash, sanitizer
# report, leak, timeout, broken round trip) makes the script exit non-zero;
# the input is copied to fuzz/regressions/<target>/, where the unit tests
# replay it once the fault is fixed and the file is committed.
set -euo pipefail

seconds=${1:-20}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: $0 [seconds per target]" >&2
  exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
cd "$root"

cmake --preset fuzz >/dev/null
targets=$(cat "$build/fuzz_targets.txt")
# shellcheck disable=SC2086
cmake --build "$build" --target $targets

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=0
for target in $targets; do
  work=$build/fuzz-work/$target
  rm -rf "$work/artifacts"
  mkdir -p "$work/corpus" "$work/artifacts"
  if [ -d "fuzz/corpus/$target" ]; then
    cp -n "fuzz/corpus/$target"/* "$work/corpus/" 2>/dev/null || true
  fi
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$work/artifacts/")
  if [ -f "fuzz/$target.dict" ]; then
    args+=(-dict="fuzz/$target.dict")
  fi

  echo "== $target: $seconds s"
  status=0
  "$build/bin/$target" "${args[@]}" "$work/corpus" >"$work/log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
  echo "   executions: ${runs:-?}, exit status: $status"

  findings=$(find "$work/artifacts" -type f | wc -l)
  if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
    failed=1
    echo "   FINDING: log in $work/log" >&2
    grep -E 'ERROR|SUMMARY|runtime error|deadly signal' "$work/log" | head -n 20 >&2 || true
    mkdir -p "fuzz/regressions/$target"
    for input in "$work"/artifacts/*; do
      [ -f "$input" ] || continue
      cp "$input" "fuzz/regressions/$target/"
      echo "   kept as fuzz/regressions/$target/$(basename "$input")" >&2
    done
  fi
done

exit $failed
