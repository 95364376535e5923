#!/usr/bin/env bash
# Starts dist/kelvora.exe under Wine. With no X display it runs inside a private
# Xvfb, saves a screenshot of the window and closes the program again.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$root/dist/kelvora.exe
if [ ! -f "$exe" ]; then
  echo "run: dist/kelvora.exe does not exist yet (the main window is not built); nothing to run." >&2
  exit 1
fi
. "$root/scripts/session.sh"
headless=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then headless=1; fi
trap session_stop EXIT
session_start || exit 1

wine "$exe" </dev/null >/dev/null 2>&1 &
app=$!
if [ $headless = 0 ]; then
  wait $app
  exit $?
fi
shot=$root/build/kelvora-window.png
mkdir -p "$(dirname "$shot")"
wid=$(timeout 30 xdotool search --sync --name '^Kelvora$' | head -1)
if [ -z "$wid" ]; then
  echo "run: the window did not appear" >&2
  exit 1
fi
sleep 1
import -window "$wid" "$shot"
echo "run: no display, so Kelvora ran inside Xvfb; its window is in $shot"
xdotool key alt+F4 2>/dev/null
wait $app
