#!/usr/bin/env bash
# Installs the Khronos glTF validator (npm package gltf-validator) into build/gltf-validator,
# where the glTF tests look for it, when it is not there yet.
set -euo pipefail
cd "$(dirname "$0")/.."
version=2.0.0-dev.3.10
target=build/gltf-validator
if [ -f "$target/node_modules/gltf-validator/index.js" ]; then
  exit 0
fi
mkdir -p "$target"
npm install --no-audit --no-fund --loglevel=error --prefix "$target" "gltf-validator@$version"
