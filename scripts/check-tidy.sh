#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) on the plug-in, the loader, the simulated host and the runner,
# with the compile commands of a configured build folder (default build/native); every finding
# fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
[ -f "$build/compile_commands.json" ] || cmake --preset native >/dev/null
# clang-tidy parses with clang: options only gcc knows are dropped from its copy of the commands.
commands=$(mktemp -d)
trap 'rm -rf "$commands"' EXIT
sed -e 's/ -fno-gnu-unique//g' "$build/compile_commands.json" >"$commands/compile_commands.json"
mapfile -t sources < <(git ls-files 'src/*.cpp' 'loader/*.cpp' 'simhost/*.cpp' 'runner/*.cpp')
log="$commands/findings.txt"
if ! printf '%s\n' "${sources[@]}" |
  xargs -P"$(nproc)" -n4 clang-tidy -p "$commands" --quiet >"$log" 2>&1; then
  grep -E 'warning:|error:' -A3 "$log" || cat "$log"
  echo "clang-tidy: findings above"
  exit 1
fi
echo "clang-tidy: ${#sources[@]} files, no findings"
