#!/usr/bin/env bash
# Sets everything up, builds the optimised tree and runs velora.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
# The main job: velora with the sample plug-ins from its plug-in directory,
# creating one object of the hello sample's class.
./build/release/bin/velora --version --list-plugins \
  --create Browsing/Templates/Samples/Hello=Greeter "$@"
