#!/usr/bin/env bash
# Everything the build needs, each step done once and skipped when already done.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup-apt.sh"
"$here/build-zint.sh"
"$here/build-gtest-mingw.sh"
