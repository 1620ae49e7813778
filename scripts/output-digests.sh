#!/usr/bin/env bash
# The outputs a refactoring or a speed change must leave byte for byte as they were: runs of the
# runner on the sample in every format and with the options that change the result, written into
# OUT with one line "sha256  file" per output in OUT/digests.txt. Compare two builds with
#   bash scripts/output-digests.sh build-a/bin /tmp/a && bash scripts/output-digests.sh build-b/bin /tmp/b
#   diff /tmp/a/digests.txt /tmp/b/digests.txt
# --big adds the generated 100k x 50 document (binary layout), a 20k readable document paired by
# position and a 25k x 100 glTF pair. Reports are kept with their times, host call counts and
# folders taken out, so that only what a run found and did is compared.
# OUT/values.txt digests what each document holds, whatever its layout (scripts/
# document-values.py): where a change is to the side files' layout alone (blocks shared), it
# stays the same while digests.txt names other side files.
set -euo pipefail
usage() { echo "usage: $0 BIN_DIR OUT_DIR [--big]" >&2; exit 2; }
[ $# -ge 2 ] || usage
bin=$(cd "$1" && pwd)
out=$2
big=${3:-}
here=$(cd "$(dirname "$0")/.." && pwd)
run="$bin/tovalinder-run"
sample="$bin/tovalinder-sample"
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
cd "$out"

# A report without what changes from run to run and from folder to folder.
strip_report() {
  python3 - "$1" "$out" <<'EOF'
import json, sys
path, folder = sys.argv[1], sys.argv[2]
text = open(path).read().replace(folder, "OUT")
data = json.loads(text)
def clean(v):
    if isinstance(v, dict):
        return {k: clean(x) for k, x in v.items() if k not in ("timings", "hostCalls", "seconds")}
    if isinstance(v, list):
        return [clean(x) for x in v]
    return v
open(path, "w").write(json.dumps(clean(data), indent=1, sort_keys=True) + "\n")
EOF
}

doc() { # name, then the runner's arguments after the input
  local name=$1
  shift
  "$run" "$here/samples/character.json" -o "doc-$name.json" --report json "$@" >"doc-$name.report.json"
  strip_report "doc-$name.report.json"
}
doc default --pictures pictures --show-dialog dialog.html
doc by-position --no-use-unique-ids
doc mirror --mirror-morph
doc rate --rate -50 --no-create-backup-elements
doc rename --rename-new-elements --keep-object-names
doc surface --added-vertices surface
doc binary --layout binary
doc base64 --layout base64

"$sample" gltf-src.glb gltf-dst.glb >/dev/null
"$sample" gltf-one.glb >/dev/null
"$sample" --dense gltf-dense.glb >/dev/null
gltf() { # name, input files..., then -- and the runner's arguments
  local name=$1
  shift
  local inputs=()
  while [ "$1" != -- ]; do inputs+=("$1"); shift; done
  shift
  "$run" "${inputs[@]}" --report json "$@" >"gltf-$name.report.json"
  strip_report "gltf-$name.report.json"
}
gltf pair gltf-src.glb gltf-dst.glb -- -o gltf-pair-out.glb
gltf one gltf-one.glb -- -o gltf-one-out.glb
gltf dense gltf-dense.glb -- -o gltf-dense-out.glb
gltf surface gltf-src.glb gltf-dst.glb -- -o gltf-surface-out.glb --added-vertices surface
gltf mirror gltf-src.glb gltf-dst.glb -- -o gltf-mirror-out.vrm --mirror-morph

"$sample" --obj obj-set >/dev/null
"$run" --source obj-set/Body.obj --morph 'obj-set/shapes/*.obj' --destination obj-set/BodyEdited.obj \
  --output-dir obj-out --report json >obj.report.json
strip_report obj.report.json
"$run" --source obj-set/Body.obj --morph 'obj-set/shapes/*.obj' --destination obj-set/BodyEdited.obj \
  --output-dir obj-surface-out --added-vertices surface --report json >obj-surface.report.json
strip_report obj-surface.report.json

if [ "$big" = --big ]; then
  "$sample" --vertices 100000 --morphs 50 --layout binary big.json >/dev/null
  "$run" big.json -o big-out.json --layout binary --report json >big.report.json
  strip_report big.report.json
  "$sample" --vertices 20000 --morphs 5 --layout readable mid.json >/dev/null
  "$run" mid.json -o mid-out.json --no-use-unique-ids --report json >mid.report.json
  strip_report mid.report.json
  "$sample" --vertices 25000 --morphs 100 wide-src.glb wide-dst.glb >/dev/null
  "$run" wide-src.glb wide-dst.glb -o wide-out.glb --report json >wide.report.json
  strip_report wide.report.json
fi

find . -type f ! -name digests.txt ! -name values.txt -print0 | sort -z | xargs -0 sha256sum \
  >digests.txt
find . -name '*.json' ! -name '*.report.json' -print0 | sort -z |
  xargs -0 python3 "$here/scripts/document-values.py" >values.txt
echo "$(wc -l <digests.txt) files in $out/digests.txt, $(wc -l <values.txt) documents' values in" \
  "$out/values.txt"
