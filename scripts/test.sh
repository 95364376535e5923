#!/usr/bin/env bash
# Runs every test: the native tree, then the Windows tree through Wine (GUI and
# end-to-end tests included) inside a private X display. Leaves nothing running.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/session.sh
trap session_stop EXIT

status=0
echo "== native tests"
ctest --preset host || status=1

session_start || exit 1
# Test artefacts (screenshots) go here.
export KELVORA_ARTIFACTS=$root/build/artifacts
mkdir -p "$KELVORA_ARTIFACTS"
echo "== Windows tests (Wine)"
ctest --preset win32 || status=1
exit $status
