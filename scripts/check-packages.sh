#!/usr/bin/env bash
# Checks the release packages in FOLDER (default build/packages) as a user would use them, in a
# temporary folder outside the build tree:
# - the Debian package unpacked into a root of its own (dpkg-deb -x): its files, dependencies and
#   man pages, both programs' --version, a run of its runner on the sample it ships, its sample
#   tool writing that same sample, and lintian with no error;
# - the Windows zip unzipped: its files, the DLL's tables (the fourteen entry points exported,
#   system DLLs only imported), the runner importing nothing but system DLLs and the simulated
#   host, and its runner run under Wine on its sample, started from another folder, writing
#   exactly the document the Linux runner wrote.
# Wine uses $WINEPREFIX when set (the Windows tests' prefix saves making one).
# usage: check-packages.sh [FOLDER]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
folder=$(cd "${1:-$here/build/packages}" && pwd)
started=$SECONDS
shopt -s nullglob
debs=("$folder"/tovalinder_*_amd64.deb)
zips=("$folder"/Tovalinder-*-windows-x64.zip)
[ ${#debs[@]} -eq 1 ] && [ ${#zips[@]} -eq 1 ] ||
  { echo "$folder: expected one Debian package and one Windows zip" >&2; exit 1; }
deb=${debs[0]}
zip=${zips[0]}
version=$(dpkg-deb -f "$deb" Version)
work=$(mktemp -d)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=${WINEPREFIX:-$work/wine}
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
failures=0
exec 3>&1 # the verdicts, also of checks whose output goes to a file
check() { # description, then the command that must succeed
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what" >&3
  else
    echo "FAILED: $what" >&3
    failures=$((failures + 1))
  fi
}
has_files() { # folder, then the files it must hold
  local dir=$1 missing=0
  shift
  for f in "$@"; do [ -f "$dir/$f" ] || { echo "  missing: $f"; missing=1; }; done
  return $missing
}
prints() { # expected first line, then the command
  local expected=$1 line
  shift
  line=$("$@" | head -n1 | tr -d '\r')
  [ "$line" = "$expected" ] || { echo "  printed: $line"; return 1; }
}

echo "=== $(basename "$deb")"
root=$work/root
dpkg-deb -x "$deb" "$root"
doc=$root/usr/share/doc/tovalinder
check "package files" has_files "$root" usr/bin/tovalinder-run usr/bin/tovalinder-sample \
  usr/lib/tovalinder/Tovalinder.so usr/lib/tovalinder/SimHost.so \
  usr/share/doc/tovalinder/character.json usr/share/doc/tovalinder/guide.html \
  usr/share/doc/tovalinder/copyright usr/share/doc/tovalinder/changelog.gz \
  usr/share/man/man1/tovalinder-run.1.gz usr/share/man/man1/tovalinder-sample.1.gz
outside=$(cd "$root" && find . -type f | grep -Ev '^\./usr/(bin|lib/tovalinder|share/doc/tovalinder|share/man/man1)/' || true)
check "nothing outside the package's folders" test -z "$outside"
check "dependencies on the C and C++ runtimes" \
  bash -c 'dpkg-deb -f "$1" Depends | grep -q "libc6 (>=" && dpkg-deb -f "$1" Depends | grep -q "libstdc++6"' _ "$deb"
check "runner's modules found from its own folder" \
  bash -c 'readelf -d "$1" | grep -qF "[\$ORIGIN/../lib/tovalinder]"' _ "$root/usr/bin/tovalinder-run"
check "man page of tovalinder-run from its help" \
  bash -c 'zcat "$1" | grep -q "^\.TH TOVALINDER-RUN \"1\".*$2" && zcat "$1" | grep -q "plugin"' \
  _ "$root/usr/share/man/man1/tovalinder-run.1.gz" "$version"
# Only the unpacked root's programs and modules: a clean environment, run from elsewhere.
linux_run() { (cd "$work" && env -i PATH=/usr/bin:/bin "$@"); }
check "tovalinder-run --version" prints "tovalinder-run $version" linux_run "$root/usr/bin/tovalinder-run" --version
check "tovalinder-sample --version" prints "tovalinder-sample $version" \
  linux_run "$root/usr/bin/tovalinder-sample" --version
check "the runner on the shipped sample" \
  linux_run "$root/usr/bin/tovalinder-run" "$doc/character.json" -o "$work/linux-out.json" --report json \
  --pictures "$work/linux-pictures" >"$work/linux-report.json"
check "the sample tool writes the shipped sample" \
  bash -c 'cd "$1" && env -i PATH=/usr/bin:/bin "$2" sample.json >/dev/null && cmp -s sample.json "$3"' \
  _ "$work" "$root/usr/bin/tovalinder-sample" "$doc/character.json"
echo "lintian:"
check "lintian finds no error" lintian --fail-on error "$deb"

echo "=== $(basename "$zip")"
unzip -q "$zip" -d "$work/zip"
top=Tovalinder-$version-windows-x64
win=$work/zip/$top
check "zip files in $top/" has_files "$win" Tovalinder.dll tovalinder-run.exe tovalinder-sample.exe \
  SimHost.dll character.json guide.html LICENSE.txt THIRD-PARTY-NOTICES.txt CHANGELOG.txt
check "nothing beside the top folder" test "$(ls "$work/zip")" = "$top"
check "the DLL's tables" cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DDLL="$win/Tovalinder.dll" \
  -P "$here/tests/windows/CheckDllTables.cmake"
runner_imports() {
  local dll bad=0
  for dll in $(x86_64-w64-mingw32-objdump -p "$win/tovalinder-run.exe" | sed -n 's/^\tDLL Name: //p'); do
    case "${dll,,}" in
    simhost.dll | kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | ntdll.dll | api-ms-win-*) ;;
    *) echo "  imports $dll"; bad=1 ;;
    esac
  done
  return $bad
}
check "the runner imports system DLLs and the simulated host only" runner_imports
wine_run() { (cd "$work" && wine "$@"); }
check "tovalinder-run.exe --version under Wine" prints "tovalinder-run $version" \
  wine_run "zip/$top/tovalinder-run.exe" --version
check "the zip's runner on its sample under Wine" \
  wine_run "zip/$top/tovalinder-run.exe" "zip/$top/character.json" -o windows-out.json --report json \
  >"$work/windows-report.json"
check "the Windows and the Linux runner wrote the same document" \
  cmp "$work/windows-out.json" "$work/linux-out.json"

echo "Package checks: $((SECONDS - started)) s, $failures failed"
[ $failures -eq 0 ]
