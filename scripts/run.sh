#!/usr/bin/env bash
# Sets everything up, builds the optimised tree and runs velora.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
./build/release/bin/velora --version --list-classes "$@"
