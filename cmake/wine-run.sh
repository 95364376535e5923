#!/usr/bin/env bash
# Runs a Windows program under the project's private Wine prefix.
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/env.sh"
exec wine "$@"
