#!/usr/bin/env bash
# Fails when any C or C++ file git tracks differs from what clang-format makes of it
# (.clang-format); prints the files. `--fix` rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is not installed"; exit 1; }
mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h' '*.hpp' ':!:fuzz/corpus/*')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
# One clang-format per batch of files; each misformatted line is reported as FILE:LINE:COL.
mapfile -t unformatted < <(printf '%s\n' "${files[@]}" |
  xargs -P"$(nproc)" -n50 clang-format --dry-run --Werror 2>&1 |
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "Not formatted as .clang-format says (bash scripts/check-format.sh --fix):"
  printf '  %s\n' "${unformatted[@]}"
  exit 1
fi
echo "Formatting: ${#files[@]} files as .clang-format says"
