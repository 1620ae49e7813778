#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, when any is missing; with --tests also those
# only the tests use, with --coverage the coverage report's; with --peer the peer tool the
# end-to-end benchmark can run beside the runner (bench/run-end-to-end.py --peer), never needed by
# the build or the tests.
set -euo pipefail
# libjs-three: three.js, built into the runner's viewer page.
packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev
          libbenchmark-dev nlohmann-json3-dev libstb-dev libxxhash-dev libeigen3-dev robin-map-dev
          mingw-w64 g++-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 wine wine64 clang-format clang-tidy python3
          libjs-three)
# A second OBJ reader to check the runner's OBJ outputs, real OBJ and glTF files nobody here
# wrote, a browser that opens the viewer page, and node for the glTF validator and the browser
# test's driver.
test_packages=(assimp-utils assimp-testmodels chromium)
# The peer tool for the end-to-end benchmark's comparison row.
peer_packages=(blender python3-numpy)
for option in "$@"; do
  case "$option" in
  --tests)
    packages+=("${test_packages[@]}")
    command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)
    ;;
  --coverage) packages+=(gcovr) ;;
  --peer) packages+=("${peer_packages[@]}") ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "${missing[@]}"
fi
