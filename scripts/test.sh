#!/usr/bin/env bash
# Sets everything up and runs every test: the ASan+UBSan build with the unit,
# integration and packaging tests, the ThreadSanitizer build of the threaded
# tests, then the bounded fuzz runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --workflow --preset ci
# The tests of code shared between threads again, under ThreadSanitizer.
bash scripts/tsan.sh
if [ -f scripts/fuzz.sh ]; then
  bash scripts/fuzz.sh "${LYSDK_FUZZ_SECONDS:-20}"
fi
