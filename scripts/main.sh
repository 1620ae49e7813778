#!/usr/bin/env bash
# The main job: installs the compiler and the libraries it builds with, builds the plug-in, the
# simulated host and the runner (the release preset: no tests, no benchmarks), then runs the
# Tovalinder command on the bundled sample character and prints the transfer report. The result,
# one picture per transferred morph, the options dialog page and the viewer page land in
# build/release/sample-run/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target tovalinder_runner
out=build/release/sample-run
mkdir -p "$out"
build/release/bin/tovalinder-run samples/character.json \
  --output "$out/character-transferred.json" \
  --pictures "$out/pictures" \
  --show-dialog "$out/options-dialog.html" \
  --viewer "$out/viewer.html"
