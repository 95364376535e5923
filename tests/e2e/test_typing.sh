#!/usr/bin/env bash
# A person at the window: clicks a type, clicks its fields and types, and the
# code that the program writes must hold exactly what the form says. Also: Enter
# does not press Save, Escape does not close, Alt+F4 ends the program with code 0.
# Leaves a screenshot, main-window.png, in $KELVORA_ARTIFACTS.
# Usage: test_typing.sh BIN_DIR
set -u
BIN=$(cd "${1:?usage: $0 BIN_DIR}" && pwd)
. "$(dirname "$0")/../../scripts/env.sh"

OUT="$KELVORA_LOCALAPPDATA/out.png"
WORK=$(mktemp -d)
ART=${KELVORA_ARTIFACTS:-$WORK}
mkdir -p "$ART"
APP_PID=
failures=0

cleanup() {
  if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
    kill "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# zbarimg ends the text with one newline of its own; the rest must be the text.
decodes_to() {
  zbarimg --nodbus -q --raw "$OUT" >"$WORK/decoded" 2>/dev/null || return 1
  if [ "$(tail -c 1 "$WORK/decoded" | od -An -tx1 | tr -d ' ')" = 0a ]; then
    truncate -s -1 "$WORK/decoded"
  fi
  printf '%s' "$1" | cmp -s - "$WORK/decoded"
}

# Every keystroke runs the encoder once, one after another: wait (bounded) for
# the last one.
expect_code() {
  local what=$1 text=$2 i
  for i in $(seq 1 100); do
    decodes_to "$text" && return 0
    sleep 0.2
  done
  fail "$what: out.png holds '$(cat "$WORK/decoded" 2>/dev/null)', expected '$text'"
}

# The program's controls where they are now (Wine draws child controls inside
# the top-level X window, so ask the program's side, not X).
controls() {
  wine "$BIN/window_geometry.exe" controls </dev/null 2>/dev/null | tr -d '\r' >"$WORK/controls"
}

# Clicks the middle of the visible control with this id.
click() {
  local pos
  controls
  pos=$(awk -v id="$1" '$1 == id && $2 == 1 { printf "%d %d", ($3 + $5) / 2, ($4 + $6) / 2; exit }' \
    "$WORK/controls")
  if [ -z "$pos" ]; then
    fail "no visible control with id $1"
    return 1
  fi
  # shellcheck disable=SC2086
  xdotool mousemove --sync $pos click 1
}

type_text() {
  xdotool type --delay 40 -- "$1"
}

app_running() {
  kill -0 "$APP_PID" 2>/dev/null
}

rm -f "$OUT"
wine "$BIN/kelvora.exe" </dev/null >"$WORK/app.log" 2>&1 &
APP_PID=$!
if ! WID=$(timeout 30 xdotool search --sync --name '^Kelvora$' | head -1) || [ -z "$WID" ]; then
  echo "FAIL: the window did not appear" >&2
  cat "$WORK/app.log" >&2
  exit 1
fi

# Empty Free Text: nothing is encoded.
sleep 1
[ -e "$OUT" ] && fail "out.png exists with an empty form"

# Free Text, two lines: Enter breaks the line in the text area.
click 1024 && type_text "Hello, Kelvora 42" && xdotool key Return && type_text "line two"
expect_code "free text" $'Hello, Kelvora 42\r\nline two'

click 1001 && click 1026 && type_text "example.org"
expect_code "url" "http://example.org"

# Without the dialog manager's keyboard handling, Enter presses no Save and
# Escape closes nothing: the keys stay with the field.
xdotool key Return
sleep 1
wine "$BIN/window_geometry.exe" owned </dev/null 2>/dev/null | tr -d '\r' >"$WORK/owned"
[ -s "$WORK/owned" ] && fail "Enter opened a window: $(cat "$WORK/owned")"
xdotool key Escape
sleep 1
app_running || fail "Escape ended the program"
expect_code "url after Enter and Escape" "http://example.org"

click 1002 && click 1011 && type_text "Doe" && click 1020 && type_text "Paris"
expect_code "contact" $'BEGIN:VCARD\nVERSION:3.0\nN:Doe;\nORG:\nEMAIL;TYPE=INTERNET:\nURL:\nTEL;TYPE=CELL:\nTEL:\nTEL;TYPE=FAX:\nADR:;;;Paris;;;\nEND:VCARD'
sleep 0.5  # the repaint follows the file
import -window root "$ART/contact-panel.png" 2>/dev/null

click 1003 && click 1025 && type_text "+1 555 0100"
expect_code "phone" "tel:+1 555 0100"

click 1004 && click 1028 && type_text "5550100" && click 1027 && type_text "See you at 8"
expect_code "sms" "SMSTO:5550100:See you at 8"

# The fields kept their texts: back to Contact, the same card again.
click 1002
expect_code "contact again" $'BEGIN:VCARD\nVERSION:3.0\nN:Doe;\nORG:\nEMAIL;TYPE=INTERNET:\nURL:\nTEL;TYPE=CELL:\nTEL:\nTEL;TYPE=FAX:\nADR:;;;Paris;;;\nEND:VCARD'
click 1004
expect_code "sms again" "SMSTO:5550100:See you at 8"

sleep 0.5
import -window root "$ART/main-window.png" 2>/dev/null || fail "no screenshot"

xdotool key alt+F4
for _ in $(seq 1 100); do
  app_running || break
  sleep 0.1
done
if app_running; then
  fail "Alt+F4 did not end the program"
else
  wait "$APP_PID"
  rc=$?
  APP_PID=
  [ "$rc" = 0 ] || fail "exit code $rc after Alt+F4, expected 0"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "typing: all checks passed"
