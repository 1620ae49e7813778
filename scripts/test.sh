#!/usr/bin/env bash
# Builds and runs every test: the native Linux build, the sanitizer build, and the Windows DLL
# with its tests under Wine. The glTF tests check written files with the glTF validator and load
# written avatars with a real VRM loader (three.js, @pixiv/three-vrm), the viewer's browser test
# opens the runner's pages in headless Chromium. Also
# checks the formatting (clang-format) and runs clang-tidy's bug checks on the native build's
# compile commands, and packs the Debian package and the Windows zip from the native and the
# Windows builds and checks them as a user would use them (scripts/check-packages.sh); any
# finding fails the run, after every test has run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --tests
bash scripts/install-gltf-validator.sh
bash scripts/install-browser-test.sh
bash scripts/install-vrm-loader.sh
jobs=$(nproc)
status=0
echo "=== formatting"
bash scripts/check-format.sh || status=1
for preset in native asan mingw; do
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  echo "=== ${preset}: tests"
  ctest --preset "$preset" -j"$jobs" || status=1
  if [ "$preset" = native ]; then
    echo "=== clang-tidy"
    bash scripts/check-tidy.sh build/native || status=1
  fi
done
echo "=== packages: packed from the native and Windows builds, checked as a user would"
if ! { bash scripts/release.sh --from-builds build/native build/mingw &&
  WINEPREFIX="$PWD/build/mingw/wineprefix" bash scripts/check-packages.sh build/packages; }; then
  status=1
fi
exit $status
