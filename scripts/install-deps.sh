#!/usr/bin/env bash
# Installs the Debian 12 packages a job needs, when any is missing. Without options: what the
# main job builds with (the plug-in, the simulated host and the runner, natively), without the
# packages these merely recommend, so that a first run on a fresh machine stays small. --release
# adds the Windows cross-build and the tools of the release packages' documents (scripts/
# release.sh); --tests adds both and what the tests use (the test command); --coverage the
# coverage report's; --peer the peer tool the end-to-end benchmark can run beside the runner
# (bench/run-end-to-end.py --peer), never needed by the build or the tests.
set -euo pipefail
# The compiler, CMake, Ninja and the header-only libraries the runner and the simulated host use.
# libjs-three: three.js, built into the runner's viewer page.
packages=(cmake ninja-build g++ nlohmann-json3-dev libstb-dev libxxhash-dev libeigen3-dev
          robin-map-dev libjs-three)
# The Windows DLL and the Windows runner.
windows_packages=(mingw-w64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
# The packages' guide (Markdown to HTML), man pages and Debian changelog; dpkg-shlibdeps and
# file, with which CPack finds the Debian package's dependencies.
release_packages=(python3 python3-markdown help2man gzip dpkg-dev file)
# The tests' compilers, frameworks, Wine and checkers; a second OBJ reader to check the runner's
# OBJ outputs, real OBJ and glTF files nobody here wrote; unzip and lintian to check the packages;
# a browser that opens the viewer page.
test_packages=(clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
               wine wine64 clang-format clang-tidy assimp-utils assimp-testmodels unzip lintian
               chromium)
# The peer tool for the end-to-end benchmark's comparison row.
peer_packages=(blender python3-numpy)
recommends=(--no-install-recommends)
for option in "$@"; do
  recommends=()
  case "$option" in
  --release) packages+=("${windows_packages[@]}" "${release_packages[@]}") ;;
  --tests)
    packages+=("${windows_packages[@]}" "${release_packages[@]}" "${test_packages[@]}")
    # node for the glTF validator.
    command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)
    ;;
  --coverage) packages+=(gcovr) ;;
  --peer) packages+=("${peer_packages[@]}") ;;
  *) echo "install-deps.sh: unknown option $option" >&2; exit 2 ;;
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
  # Downloaded packages are not kept once installed, as apt's own front end does.
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "${recommends[@]}" \
    -o APT::Keep-Downloaded-Packages=false "${missing[@]}"
fi
