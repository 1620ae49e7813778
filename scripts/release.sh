#!/usr/bin/env bash
# Makes the release packages into dist/ from clean builds of the release presets:
#   Tovalinder-<version>-windows-x64.zip   (release-mingw: plug-in DLL, runner, simulated host)
#   tovalinder_<version>_amd64.deb          (release: the Linux programs and modules)
# The version is the CMake project's. With --from-builds [LINUX_BUILD WINDOWS_BUILD] it packs the
# build folders given (default build/native and build/mingw, the test command's) as they are,
# into build/packages/ instead: that is what the test command checks.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --from-builds ]; then
  builds=("${2:-build/native}" "${3:-build/mingw}")
  out=build/packages
else
  [ $# -eq 0 ] || { echo "usage: $0 [--from-builds [LINUX_BUILD WINDOWS_BUILD]]" >&2; exit 2; }
  bash scripts/install-deps.sh --release
  builds=(build/dist/linux build/dist/windows)
  out=dist
  rm -rf build/dist
  clean_build() { # preset, folder
    echo "=== $1: clean build in $2"
    cmake --preset "$1" -B "$2" >/dev/null
    cmake --build "$2" -j"$(nproc)"
  }
  clean_build release "${builds[0]}"
  clean_build release-mingw "${builds[1]}"
fi
mkdir -p "$out"
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
for dir in "${builds[@]}"; do
  [ -f "$dir/CPackConfig.cmake" ] || { echo "$dir: not a configured build folder" >&2; exit 1; }
  cpack --config "$dir/CPackConfig.cmake" -B "$staging" >/dev/null
done
shopt -s nullglob
packages=("$staging"/*.zip "$staging"/*.deb)
[ ${#packages[@]} -eq 2 ] || { echo "expected a zip and a Debian package" >&2; exit 1; }
for package in "${packages[@]}"; do
  mv -f "$package" "$out/"
  echo "Written: $out/$(basename "$package") ($(du -k "$out/$(basename "$package")" | cut -f1) KiB)"
done
