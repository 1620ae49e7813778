#!/usr/bin/env bash
# Installs three.js and @pixiv/three-vrm (npm), the loader VRM viewers and web apps use, into
# build/vrm-loader, where the VRM expression tests look for them, when they are not there yet.
# Test-only: the runner never loads them.
set -euo pipefail
cd "$(dirname "$0")/.."
three=0.180.0
vrm=3.5.5
target=build/vrm-loader
if [ -f "$target/node_modules/@pixiv/three-vrm/package.json" ] &&
  grep -q "\"version\": \"$vrm\"" "$target/node_modules/@pixiv/three-vrm/package.json"; then
  exit 0
fi
mkdir -p "$target"
npm install --no-audit --no-fund --loglevel=error --prefix "$target" "three@$three" \
  "@pixiv/three-vrm@$vrm"
