#!/usr/bin/env bash
# Sets everything up and runs every test: the sanitizer build with the unit,
# integration and packaging tests, then the bounded fuzz runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --workflow --preset ci
if [ -f scripts/fuzz.sh ]; then
  bash scripts/fuzz.sh "${LYSDK_FUZZ_SECONDS:-20}"
fi
