#!/usr/bin/env bash
# Installs playwright-core (npm; the browser itself is Debian's chromium, installed by
# scripts/install-deps.sh --tests) into build/browser-test, where the viewer page's browser test
# looks for it, when it is not there yet. Playwright drives the browser through its DevTools
# protocol: screenshots, console messages, page errors and every request the page makes.
set -euo pipefail
cd "$(dirname "$0")/.."
version=1.65.2
target=build/browser-test
if [ -f "$target/node_modules/playwright-core/package.json" ] &&
  grep -q "\"version\": \"$version\"" "$target/node_modules/playwright-core/package.json"; then
  exit 0
fi
mkdir -p "$target"
npm install --no-audit --no-fund --loglevel=error --prefix "$target" "playwright-core@$version"
