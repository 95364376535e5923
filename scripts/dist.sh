#!/usr/bin/env bash
# The folder a Windows user unzips and runs: kelvora.exe with core\zint.exe beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist=$root/dist
mkdir -p "$dist/core"
cp "$root/.cache/zint/zint.exe" "$dist/core/zint.exe"
[ -f "$root/.cache/zint/LICENSE.txt" ] && cp "$root/.cache/zint/LICENSE.txt" "$dist/core/LICENSE.txt"
if [ -f "$root/build/win32/bin/kelvora.exe" ]; then
  cp "$root/build/win32/bin/kelvora.exe" "$dist/kelvora.exe"
fi
echo "dist: $(cd "$dist" && find . -type f | sort | tr '\n' ' ')"
