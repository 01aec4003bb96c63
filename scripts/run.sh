#!/usr/bin/env bash
# Sets everything up, builds the optimised tree and runs velora.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
# The main job: velora opens the bundled default scene with the sample
# plug-ins from its plug-in directory (a relation in which the spring
# sample's box moves the cube, an arm whose two-bone IK sample constraint
# reaches for a target, and the motion-stream sample device bound to the
# arm), creates one object of the hello sample's class, brings the device
# online and records two seconds of it into a new take, plots the
# constrained arm into that take, plays the take back, draws its curves
# into a PNG and saves the scene; then it prints a summary.
./build/release/bin/velora --version
./build/release/bin/velora \
  --scene apps/velora/scenes/default.dsx \
  --create Browsing/Templates/Samples/Hello=Greeter \
  --fps 30 --take "Arm Capture" --record 2 --plot --play 0:2 \
  --curves-png build/release/arm-capture-curves.png \
  --save build/release/default-saved.dsx "$@"
