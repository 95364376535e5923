#!/usr/bin/env bash
# The folder a Windows user unzips and runs: kelvora.exe with core\zint.exe (and
# the encoder's licence texts) beside it, and the same as dist/kelvora-win32.zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist=$root/dist
rm -rf "$dist"
mkdir -p "$dist/core"
cp "$root"/.cache/zint/* "$dist/core/"
exe=$root/build/win32/bin/kelvora.exe
if [ ! -f "$exe" ]; then
  echo "dist: kelvora.exe is not built yet; dist/ holds the encoder only"
  exit 0
fi
cp "$exe" "$dist/kelvora.exe"
(cd "$dist" && zip -q -X -r kelvora-win32.zip kelvora.exe core)
echo "dist: $(cd "$dist" && find . -type f | sort | tr '\n' ' ')"
