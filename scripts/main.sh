#!/usr/bin/env bash
# The main job: builds everything (plug-in, simulated host, runner, tests), then runs the
# Tovalinder command on the bundled sample character and prints the transfer report. The result,
# one picture per transferred morph, the options dialog page and the viewer page land in
# build/native/sample-run/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)"
out=build/native/sample-run
mkdir -p "$out"
build/native/bin/tovalinder-run samples/character.json \
  --output "$out/character-transferred.json" \
  --pictures "$out/pictures" \
  --show-dialog "$out/options-dialog.html" \
  --viewer "$out/viewer.html"
