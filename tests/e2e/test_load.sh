#!/usr/bin/env bash
# A fast typist: 300 characters typed into Free Text without a pause, while
# every keystroke runs the encoder and blocks the window until it has ended.
# Nothing may be lost or reordered: the field holds all 300 characters and the
# last code reads back as exactly them. Afterwards the program still answers:
# a type switch regenerates, the Free Text comes back whole, and Alt+F4 ends
# the program with code 0.
# Usage: test_load.sh BIN_DIR
set -u
BIN=$(cd "${1:?usage: $0 BIN_DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../../scripts/env.sh"
. "$HERE/lib_main_window.sh"
. "$HERE/lib_observe.sh"

OUT="$KELVORA_LOCALAPPDATA/out.png"
WORK=$(mktemp -d)
ART=${KELVORA_ARTIFACTS:-$WORK/shots}
mkdir -p "$ART"
failures=0
COUNT=300
# Each keystroke costs one encoder run, about 0.1 s under Wine; far more than
# enough for all of them.
BOUND_S=180

cleanup() {
  if app_alive; then
    kill "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

# COUNT printable ASCII characters, every one of them likely, in no pattern a
# lost or swapped keystroke could hide in (a fixed linear congruential sequence).
text=
seed=20240611
for ((i = 0; i < COUNT; i++)); do
  seed=$(((seed * 1103515245 + 12345) % 2147483648))
  code=$((32 + (seed / 65536) % 95))
  # shellcheck disable=SC2059
  text+=$(printf "\\$(printf %03o "$code")")
done
printf '%s' "$text" >"$WORK/typed"
[ "$(stat -c %s "$WORK/typed")" = "$COUNT" ] || { echo "FAIL: made $(stat -c %s "$WORK/typed") characters" >&2; exit 1; }

# Waits (bounded) until out.png reads back as the bytes of FILE.
wait_code() {
  local deadline=$((SECONDS + $2))
  while :; do
    decode_to "$OUT" "$WORK/decoded" && cmp -s "$WORK/decoded" "$1" && return 0
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.5
  done
}

rm -f "$OUT"
start_app "$BIN/kelvora.exe" || { echo "FAIL: the program's window did not appear" >&2; exit 1; }
read_controls
click_control 1024 || exit 1

started=$SECONDS
xdotool type --delay 0 -- "$text"
# The program answers the read only between two cycles: once the field holds
# the last character, the cycle of the last keystroke has ended.
if ! wait_field 1024 "$WORK/typed" "$BOUND_S"; then
  fail "$BOUND_S s after typing the field holds $(stat -c %s "$WORK/field" 2>/dev/null) bytes that are not the $COUNT typed: $(cmp "$WORK/field" "$WORK/typed" 2>&1)"
else
  echo "test_load: all $COUNT characters handled after $((SECONDS - started)) s"
fi
if ! decode_to "$OUT" "$WORK/decoded"; then
  fail "out.png does not decode: $(show_bytes "$OUT")"
elif ! cmp -s "$WORK/decoded" "$WORK/typed"; then
  fail "out.png reads [$(show_bytes "$WORK/decoded")], not the $COUNT characters: $(cmp "$WORK/decoded" "$WORK/typed" 2>&1)"
fi
answers 2000 || fail "the program does not answer"
seen=$(wait_ui_state "save=1 preview=picture" 10) || fail "after the typing the window shows $seen"
import -window root "$ART/load-typed.png" 2>/dev/null

# Still regenerating: URL with its empty field, then the Free Text again.
click_control 1001
printf 'http://' >"$WORK/url"
wait_code "$WORK/url" 20 || fail "switching to URL: out.png reads [$(show_bytes "$WORK/decoded")], expected http://"
click_control 1000
wait_code "$WORK/typed" 20 || fail "back on Free Text: out.png reads [$(show_bytes "$WORK/decoded")]"
quit_app

if [ "$failures" -ne 0 ]; then
  echo "test_load: $failures failure(s)" >&2
  exit 1
fi
echo "test_load: nothing lost; the program answered and ended with 0"
