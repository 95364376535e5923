#!/usr/bin/env bash
# Runs the benchmarks under Wine inside a private X display and prints their table.
# Arguments are passed on (e.g. --runs 20 --cycles 500).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/session.sh"
trap session_stop EXIT
KELVORA_XVFB=1 session_start || exit 1
echo "machine: $(nproc) cores, $(free -g | awk '/Mem:/{print $2}') GiB, $(wine --version), $(date -u +%F)"
wine "$root/build/win32/bin/kelvora_bench.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'
