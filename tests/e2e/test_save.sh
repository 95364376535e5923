#!/usr/bin/env bash
# Save as a person uses it: type a text, click Save, answer the platform's Save
# As dialog. The file written must be out.png byte for byte under the name with
# the png extension forced; cancelling writes nothing; a copy that cannot be
# made is told in a message box; a forced name that hits an existing file is
# asked about again instead of being replaced silently.
# Usage: test_save.sh BIN_DIR
set -u
BIN=$(cd "${1:?usage: $0 BIN_DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../../scripts/env.sh"
. "$HERE/lib_main_window.sh"

OUT="$KELVORA_LOCALAPPDATA/out.png"
WORK=$(mktemp -d)
SHOTS=${KELVORA_ARTIFACTS:-$WORK/shots}
mkdir -p "$SHOTS" "$WORK/dest"
DEST="$WORK/dest"
DEST_W=$(winepath -w "$DEST")
failures=0

cleanup() {
  stop_app
  rm -rf "$WORK"
}
trap cleanup EXIT

# Ids of the visible windows with exactly this title.
windows_named() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | sort
}

# Waits for a visible window titled $1 whose id is not among $2 (a list); prints its id.
wait_new_window() {
  local i id
  for i in $(seq 1 100); do
    for id in $(windows_named "$1"); do
      if ! grep -qx "$id" <<<"${2:-}"; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

# Waits until the window $1 is gone.
wait_gone() {
  local i
  for i in $(seq 1 100); do
    xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
    windows_named '.*' | grep -qx "$1" || return 0
    sleep 0.1
  done
  return 1
}

# Clicks Save and waits for the Save As dialog; prints its id.
open_save_dialog() {
  local before
  before=$(windows_named 'Save As')
  click_du 389 135
  wait_new_window 'Save As' "$before"
}

# Puts NAME into the dialog's file name field and presses its Save button (alt+s:
# Enter may first only close the field's completion list).
answer_dialog() {
  # xclip stays behind to serve the clipboard: keep it off our stdout, or
  # whoever reads that waits for it.
  printf '%s' "$1" | xclip -selection clipboard -i >/dev/null 2>&1
  xdotool key ctrl+a ctrl+v
  sleep 0.3
  xdotool key alt+s
}

# The program is still there and usable: its window is shown and alone.
app_alive() {
  kill -0 "$APP_PID" 2>/dev/null && [ "$(windows_named Kelvora | wc -l)" -eq 1 ]
}

listing() { (cd "$DEST" && find . | sort); }

start_app "$BIN/kelvora.exe" || { echo "FAIL: the program's window did not appear" >&2; exit 1; }
type_free_text 'saved code one'
wait_for_code 'saved code one' || fail "out.png never held the typed text"

# 1. A name without extension: qr.png is written, a copy of out.png.
dialog=$(open_save_dialog) || fail "no Save As dialog after clicking Save"
answer_dialog "$DEST_W\\qr"
wait_gone "$dialog" || fail "the Save As dialog stayed open"
sleep 0.5
if [ ! -f "$DEST/qr.png" ]; then
  fail "no qr.png after saving as qr: $(listing | tr '\n' ' ')"
else
  cmp -s "$OUT" "$DEST/qr.png" || fail "qr.png differs from out.png"
  [ "$(decode "$DEST/qr.png")" = 'saved code one' ] || fail "qr.png does not decode to the typed text"
fi
[ -e "$DEST/qr" ] && fail "a file without the extension was written"
screenshot "$SHOTS/save-done.png"

# 2. Cancel writes nothing.
before=$(listing)
dialog=$(open_save_dialog) || fail "no Save As dialog for cancel"
xdotool key Escape
wait_gone "$dialog" || fail "Escape did not close the Save As dialog"
sleep 0.5
[ "$(listing)" = "$before" ] || fail "cancel changed the folder: $(listing | tr '\n' ' ')"
app_alive || fail "after cancel the program is gone or shows another window"

# 3. Copies that cannot be made are told, and the program goes on.
mkdir "$DEST/taken.png"
# A chosen path of 258 units: it fits the dialog's buffer, with .png it does not.
long_name=$(head -c $((257 - ${#DEST_W})) /dev/zero | tr '\0' l)
failure_cases=(
  "missing-folder|$DEST_W\\missing\\qr"
  "folder-of-that-name|$DEST_W\\taken"
  "too-long|$DEST_W\\$long_name"
)
for entry in "${failure_cases[@]}"; do
  name=${entry%%|*}
  path=${entry#*|}
  before=$(listing)
  kelvoras=$(windows_named Kelvora)
  dialog=$(open_save_dialog) || { fail "$name: no Save As dialog"; continue; }
  answer_dialog "$path"
  if message=$(wait_new_window Kelvora "$kelvoras"); then
    sleep 0.3
    screenshot "$SHOTS/save-failure-$name.png"
    xdotool key Return
    wait_gone "$message" || fail "$name: the message box did not close"
  else
    fail "$name: no message about the failed copy"
    screenshot "$SHOTS/save-failure-$name.png"
  fi
  [ "$(listing)" = "$before" ] || fail "$name: the folder changed: $(listing | tr '\n' ' ')"
  app_alive || fail "$name: the program is gone or left a window open"
done

# 4. qr.jpg becomes qr.png, which exists: the dialog asks again with qr.png filled
#    in. Declining keeps the old qr.png; agreeing replaces it with the new code.
type_free_text ' and two'
wait_for_code 'saved code one and two' || fail "out.png never held the second text"
cp "$DEST/qr.png" "$WORK/qr-before.png"
cmp -s "$OUT" "$WORK/qr-before.png" && fail "the second code equals the first: nothing to tell apart"

dialog=$(open_save_dialog) || fail "no Save As dialog for qr.jpg"
answer_dialog "$DEST_W\\qr.jpg"
if again=$(wait_new_window 'Save As' "$dialog"); then
  screenshot "$SHOTS/save-ask-again.png"
  xdotool key Escape
  wait_gone "$again" || fail "the second Save As dialog stayed open"
else
  fail "qr.jpg over an existing qr.png was not asked about again"
fi
sleep 0.5
cmp -s "$DEST/qr.png" "$WORK/qr-before.png" || fail "declining replaced qr.png"
[ -e "$DEST/qr.jpg" ] && fail "declining wrote qr.jpg"

dialog=$(open_save_dialog) || fail "no Save As dialog for qr.jpg, second time"
answer_dialog "$DEST_W\\qr.jpg"
if again=$(wait_new_window 'Save As' "$dialog"); then
  # The field holds the forced name: Save as it stands, then the platform's own
  # question about replacing qr.png (titled as the platform likes), answered
  # with its default button, Yes.
  shown=$(windows_named '.*')
  xdotool key alt+s
  if prompt=$(wait_new_window '.*' "$shown"); then
    sleep 0.3
    screenshot "$SHOTS/save-replace-question.png"
    xdotool key Return
    wait_gone "$prompt" || fail "the replace question stayed open"
  else
    fail "no question before replacing qr.png"
  fi
  wait_gone "$again" || fail "the second Save As dialog stayed open after agreeing"
else
  fail "qr.jpg over an existing qr.png was not asked about again (second time)"
fi
sleep 0.5
cmp -s "$OUT" "$DEST/qr.png" || fail "agreeing did not replace qr.png with the new code"
[ "$(decode "$DEST/qr.png")" = 'saved code one and two' ] || fail "the replaced qr.png does not decode to the new text"
[ -e "$DEST/qr.jpg" ] && fail "qr.jpg was written"
app_alive || fail "the program is gone after saving"

if [ "$failures" -ne 0 ]; then
  echo "test_save: $failures failure(s); screenshots in $SHOTS" >&2
  exit 1
fi
echo "test_save: saved, cancelled, reported 3 failed copies, asked again about a forced name"
