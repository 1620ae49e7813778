#!/usr/bin/env bash
# Builds the coverage preset (gcc, --coverage), runs its tests, and prints the line coverage of
# the plug-in's code (src/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --tests --coverage
bash scripts/install-gltf-validator.sh
cmake --preset coverage >/dev/null
find build/coverage -name '*.gcda' -delete
cmake --build --preset coverage -j"$(nproc)"
status=0
ctest --preset coverage -j"$(nproc)" || status=1
# Per-file figures in build/coverage/coverage-src.txt; the summary on the terminal.
gcovr --root . --filter 'src/' --object-directory build/coverage --print-summary \
  --txt build/coverage/coverage-src.txt
exit $status
