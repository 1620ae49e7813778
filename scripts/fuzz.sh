#!/usr/bin/env bash
# Fuzzes one target of the fuzz build for a set time with the options that suit it, in one place:
# the file readers take inputs of a few megabytes (deep nesting, long lines) and a dictionary of
# their format's words. New inputs gather in build/fuzz/work/TARGET; a crash or broken invariant
# leaves crash-* there. With --merge, what adds coverage is folded into the committed corpus.
#   cmake --preset fuzz && cmake --build --preset fuzz -j2 --target fuzz_gltf_reader
#   bash scripts/fuzz.sh gltf_reader 600 [--merge]
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 TARGET SECONDS [--merge]" >&2; exit 2; }
target=$1
seconds=$2
merge=${3:-}
here=$(cd "$(dirname "$0")/.." && pwd)
program="$here/build/fuzz/bin/fuzz_$target"
corpus="$here/fuzz/corpus/$target"
work="$here/build/fuzz/work/$target"
options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=20 -rss_limit_mb=2048)
case $target in
  gltf_reader | obj_reader | document_reader)
    options+=(-max_len=4194304 -dict="$here/fuzz/$target.dict") ;;
esac
mkdir -p "$work"
cd "$work"
"$program" "${options[@]}" "$work" "$corpus"
if [ "$merge" = --merge ]; then
  "$program" -merge=1 -max_len=4194304 "$corpus" "$work"
fi
