#!/usr/bin/env bash
# Sets everything up, builds the optimised tree and runs velora.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
# The main job: velora opens the bundled default scene with the sample
# plug-ins from its plug-in directory, creates one object of the hello
# sample's class and saves the scene.
./build/release/bin/velora --version
./build/release/bin/velora --list-plugins \
  --scene apps/velora/scenes/default.dsx \
  --create Browsing/Templates/Samples/Hello=Greeter \
  --save build/release/default-saved.dsx "$@"
