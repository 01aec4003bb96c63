#!/usr/bin/env bash
# Builds the ThreadSanitizer preset and runs the tests labelled "threads".
#
#   scripts/tsan.sh
#
# Only the test programs of that label are built: the configure step lists
# them in build/tsan/thread_test_targets.txt. ThreadSanitizer ends a test at
# its first report (TSAN_OPTIONS in the tsan test preset) and exits non-zero
# even without that, so any report fails the test and this script. A run in
# which no test carries the label also fails: it would prove nothing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/tsan
cd "$root"

cmake --preset tsan >/dev/null
targets=$(cat "$build/thread_test_targets.txt")
if [ -z "${targets//[[:space:]]/}" ]; then
  echo "tsan.sh: no test program carries the threads label" >&2
  exit 1
fi
# shellcheck disable=SC2086
cmake --build "$build" --target $targets
ctest --preset tsan --no-tests=error
