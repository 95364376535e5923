#!/usr/bin/env bash
# The preview frame as it appears on screen: blank at start, then the code of
# the typed text (the screenshot itself must decode to that text); with the
# encoder missing, the error text instead of a code.
# Usage: test_preview_shots.sh BIN_DIR
set -u
BIN=$(cd "${1:?usage: $0 BIN_DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../../scripts/env.sh"
. "$HERE/lib_main_window.sh"

WORK=$(mktemp -d)
SHOTS=${KELVORA_ARTIFACTS:-$WORK/shots}
mkdir -p "$SHOTS"
failures=0

cleanup() {
  stop_app
  rm -rf "$WORK"
}
trap cleanup EXIT

# Waits until the preview frame's inside shows more than one colour, or gives up.
wait_for_ink() {
  local i
  for i in $(seq 1 50); do
    screenshot "$WORK/poll.png"
    [ "$(colours_in "$WORK/poll.png" "$(preview_crop)")" -gt 1 ] && return 0
    sleep 0.2
  done
  return 1
}

TEXT='Preview shot 42'

# 1. The real program with its encoder.
start_app "$BIN/kelvora.exe" || { echo "FAIL: the program's window did not appear" >&2; exit 1; }
sleep 0.5
screenshot "$SHOTS/preview-blank.png"
# One colour inside the frame: blank, and the crop really lies inside the frame.
[ "$(colours_in "$SHOTS/preview-blank.png" "$(preview_crop)")" -eq 1 ] ||
  fail "the preview frame is not blank at start (crop $(preview_crop))"
type_free_text "$TEXT"
wait_for_code "$TEXT" || fail "out.png never held the typed text"
wait_for_ink || fail "the preview frame stayed blank with a code"
sleep 0.3
screenshot "$SHOTS/preview-code.png"
decoded=$(decode "$SHOTS/preview-code.png") || decoded='(nothing)'
[ "$decoded" = "$TEXT" ] || fail "the screenshot decodes to '$decoded', not '$TEXT'"
# The code on screen lies inside the preview frame, not elsewhere in the window.
/usr/bin/convert "$SHOTS/preview-code.png" -crop "$(preview_crop)" +repage "$WORK/frame-code.png"
[ "$(decode "$WORK/frame-code.png")" = "$TEXT" ] || fail "the code is not inside the preview frame"
stop_app

# 2. The same program without its encoder: a payload and no picture.
mkdir -p "$WORK/alone"
cp "$BIN/kelvora.exe" "$WORK/alone/"
rm -f "$KELVORA_LOCALAPPDATA/out.png"
start_app "$WORK/alone/kelvora.exe" || { echo "FAIL: the program without encoder did not start" >&2; exit 1; }
type_free_text "$TEXT"
wait_for_ink || fail "the preview frame stayed blank without the encoder"
sleep 0.3
screenshot "$SHOTS/preview-error.png"
colours=$(colours_in "$SHOTS/preview-error.png" "$(preview_crop)")
[ "$colours" -gt 1 ] || fail "no error text in the preview frame"
if decoded=$(decode "$SHOTS/preview-error.png"); then
  fail "a code was found on screen without the encoder: '$decoded'"
fi
[ -e "$KELVORA_LOCALAPPDATA/out.png" ] && fail "out.png exists although the encoder is missing"
stop_app

if [ "$failures" -ne 0 ]; then
  echo "test_preview_shots: $failures failure(s); screenshots in $SHOTS" >&2
  exit 1
fi
echo "test_preview_shots: blank at start, the code on screen decodes, the error text shows without the encoder"
