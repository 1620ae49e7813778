#!/usr/bin/env bash
# Builds the plug-in and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)"
echo "The main job arrives with the runner."
