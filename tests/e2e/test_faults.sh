#!/usr/bin/env bash
# Bad luck and bad input at the real program's window, as a person meets them.
# Every case must end in a state the program promises (no picture and Save
# disabled with the error text or a blank frame, or the code of exactly what
# the form says), with the window still answering and no file lost:
#   - the encoder missing (no core\ beside the program);
#   - an encoder that crashes, fails, writes no PNG, writes half a PNG, never
#     ends, or needs longer than one wait: a stand-in encoder picks the fault
#     from the text typed, so the program is copied into a folder of its own
#     with the stand-in as core\zint.exe;
#   - out.png held open by another program;
#   - payloads too long for a code, and the longest that still fits;
#   - quotes, a trailing backslash, CR LF, Latin-1 and Japanese text pasted into
#     each type's fields: the stand-in must be given exactly those bytes, and the
#     real encoder's code must read back as them.
# Screenshots of each end state go to $KELVORA_ARTIFACTS (faults-*.png).
# Usage: test_faults.sh BIN_DIR
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
HOLD_PID=

# The program alone, with no encoder; and the program with the stand-in.
BARE="$WORK/bare"
STUBBED="$WORK/stubbed"
mkdir -p "$BARE" "$STUBBED/core"
cp "$BIN/kelvora.exe" "$BARE/"
cp "$BIN/kelvora.exe" "$STUBBED/"
cp "$BIN/stub_encoder.exe" "$STUBBED/core/zint.exe"
# How the stand-in's processes show in ps: by their Windows path.
STAND_IN_PATH="$(winepath -w "$STUBBED")\core\zint.exe"

cleanup() {
  [ -n "$HOLD_PID" ] && kill "$HOLD_PID" 2>/dev/null
  if app_alive; then
    kill "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
  fi
  stop_clipboard
  # A hanging stand-in is ended by the program; one that outlived a failed run
  # is found by its own folder in its command line.
  end_stand_ins
  rm -f "$OUT.pid"
  rm -rf "$WORK"
}
trap cleanup EXIT

# Process ids of the stand-ins started from our folder that still run.
stand_ins() {
  # Through the environment: awk -v would read the backslashes as escapes.
  ps -eo pid=,args= | STAND_IN=$STAND_IN_PATH awk 'index($0, ENVIRON["STAND_IN"]) { print $1 }'
}

end_stand_ins() {
  local pid
  for pid in $(stand_ins); do
    kill "$pid" 2>/dev/null
  done
}

# Splits a table row at its | into FIELDS (texts may hold line breaks).
split_fields() {
  local IFS='|'
  set -f
  # shellcheck disable=SC2206
  FIELDS=($1)
  set +f
}

launch() {
  rm -f "$OUT" "$OUT.pid"
  if ! start_app "$1"; then
    echo "FAIL: the program's window did not appear ($1)" >&2
    exit 1
  fi
  read_controls
}

shot() {
  import -window root "$ART/faults-$1.png" 2>/dev/null
}

# Pastes TEXT over the field ID (focused) and waits until the cycle it starts has ended.
paste_settled() {
  paste_replace "$2"
  printf '%s' "$2" >"$WORK/want"
  wait_field "$1" "$WORK/want" 30 ||
    fail "the field $1 holds [$(show_bytes "$WORK/field")], expected [$(show_bytes "$WORK/want")]"
}

# Types TEXT into the focused field ID and waits until the field holds ALL,
# that is until the cycle of the last keystroke has ended.
type_settled() {
  xdotool type --delay 40 -- "$2"
  printf '%s' "$3" >"$WORK/want"
  wait_field "$1" "$WORK/want" 30 ||
    fail "the field $1 holds [$(show_bytes "$WORK/field")], expected [$(show_bytes "$WORK/want")]"
}

# Ends the test at once: what follows could only wait out its bounds.
give_up() {
  fail "$*"
  echo "test_faults: gave up after $failures failure(s); screenshots in $ART" >&2
  exit 1
}

# Checks that a case ended in WANT (see ui_state) with the program answering
# and no other window (a crash report, a message) on the screen.
expect_ui() {
  local name=$1 want=$2 seconds=${3:-20} seen others
  app_alive || give_up "$name: the program is gone"
  if ! seen=$(wait_ui_state "$want" "$seconds"); then
    fail "$name: the window shows $seen, expected $want"
  fi
  app_alive || give_up "$name: the program is gone"
  answers 2000 || fail "$name: the program does not answer"
  others=$(visible_windows | grep -vx 'Kelvora')
  [ -z "$others" ] || fail "$name: other windows are open: $others"
  shot "$name"
}

# Checks out.png: "none", or the exact bytes of TEXT ("file:TEXT"), or a code
# that reads back as TEXT ("code:TEXT").
expect_out() {
  local name=$1 want=$2
  printf '%s' "${want#*:}" >"$WORK/expected"
  case $want in
  none) [ -e "$OUT" ] && fail "$name: out.png exists: $(show_bytes "$OUT")" ;;
  file:*)
    cmp -s "$OUT" "$WORK/expected" ||
      fail "$name: out.png holds [$(show_bytes "$OUT")], expected [$(show_bytes "$WORK/expected")]"
    ;;
  code:*)
    if ! decode_to "$OUT" "$WORK/decoded"; then
      fail "$name: out.png does not decode: $(show_bytes "$OUT")"
    elif ! cmp -s "$WORK/decoded" "$WORK/expected"; then
      fail "$name: out.png reads [$(show_bytes "$WORK/decoded")], expected [$(show_bytes "$WORK/expected")]"
    fi
    ;;
  esac
}

# --- 1. No encoder at all: every payload ends in the error text ---------------
launch "$BARE/kelvora.exe"
expect_ui "missing-at-start" "save=0 preview=blank" 10
# Each type composes a payload of its own literals even with empty fields;
# back on the empty Free Text there is none.
for type in 1001 1002 1003 1004; do
  click_control "$type"
  expect_ui "missing-type-$type" "save=0 preview=text"
  expect_out "missing-type-$type" none
  click_control 1000
  expect_ui "missing-back-from-$type" "save=0 preview=blank"
done
select_field 1000 1024 && paste_settled 1024 "hello"
expect_ui "missing-free-text" "save=0 preview=text"
expect_out "missing-free-text" none
xdotool key ctrl+a BackSpace
expect_ui "missing-emptied" "save=0 preview=blank"
quit_app

# --- 2. The stand-in's faults, each from a shown code with Save enabled -------
launch "$STUBBED/kelvora.exe"
click_control 1024

# A cycle that ends with a picture: where every fault case starts from.
show_picture() {
  paste_settled 1024 "png"
  expect_ui "$1-before" "save=1 preview=picture"
}

# name | text typed | what out.png holds afterwards. Each ends with no picture,
# Save disabled and the error text.
fault_cases=(
  "crash|crash|none"
  "fail|fail|none"
  "garbage|garbage|file:"$'\x89'"PNG"$'\r\n\x1a\n'"this is not a picture, only its first eight bytes are"
  "truncated|truncated"
)
for entry in "${fault_cases[@]}"; do
  split_fields "$entry"
  name=${FIELDS[0]} text=${FIELDS[1]} out=${FIELDS[2]:-}
  show_picture "$name"
  cp "$OUT" "$WORK/whole.png"
  paste_settled 1024 "$text"
  expect_ui "$name" "save=0 preview=text"
  [ -n "$out" ] && expect_out "$name" "$out"
  [ -z "$(stand_ins)" ] || fail "$name: a stand-in is still running"
done
# The truncated picture (the last row) is the first half of the whole one.
head -c "$(($(stat -c %s "$WORK/whole.png") / 2))" "$WORK/whole.png" | cmp -s - "$OUT" ||
  fail "truncated: out.png is not the first half of the whole picture"

# An encoder that never ends: the window stops answering, comes back after the
# wait limit with the encoder ended, and then handles what was typed meanwhile.
show_picture "hang"
paste_replace "hang"
started=$SECONDS
blocked=
for _ in $(seq 1 10); do
  answers 300 || { blocked=1; break; }
  sleep 0.2
done
[ -n "$blocked" ] || fail "hang: the window kept answering while its encoder ran"
xdotool type --delay 40 "X"
until answers 500; do
  [ $((SECONDS - started)) -ge 40 ] && break
  sleep 0.5
done
waited=$((SECONDS - started))
if [ "$waited" -ge 40 ]; then
  give_up "hang: the window did not answer 40 s after the encoder hung"
elif [ "$waited" -lt 8 ]; then
  fail "hang: the window came back after $waited s, before the wait limit"
fi
printf 'hangX' >"$WORK/want"
wait_field 1024 "$WORK/want" 20 || fail "hang: the field holds [$(show_bytes "$WORK/field")], expected hangX"
expect_ui "hang" "save=0 preview=text"
# The stand-in wrote what it was given: the keystroke made during the wait ran
# a cycle of its own afterwards.
expect_out "hang" "file:hangX"
[ -z "$(stand_ins)" ] || fail "hang: the hung encoder is still running"
show_picture "after-hang"

# An encoder that needs more than one wait slice is waited for.
paste_settled 1024 "no picture"
expect_ui "slow-before" "save=0 preview=text"
paste_settled 1024 "slow"
expect_ui "slow" "save=1 preview=picture"
cmp -s "$OUT" "$WORK/whole.png" || fail "slow: out.png is not the stand-in's picture"

# A field longer than the payload takes: the stand-in is given its first 4095 units.
long=$(head -c 5000 /dev/zero | tr '\0' x | sed 's/x\{26\}/abcdefghijklmnopqrstuvwxyz/g')
paste_settled 1024 "$long"
expect_ui "over-4095" "save=0 preview=text"
expect_out "over-4095" "file:${long:0:4095}"

# --- 3. Awkward characters in every type's fields ------------------------------
# type | field=text ... (pasted, | inside none of them) | the payload. Run once
# with the stand-in (the exact bytes given) and once with the real encoder
# (the code read back).
VCARD_PEOPLE=$'BEGIN:VCARD\nVERSION:3.0\nN:Müller "M";Jōji\\\nORG:\nEMAIL;TYPE=INTERNET:\nURL:\nTEL;TYPE=CELL:\nTEL:\nTEL;TYPE=FAX:\nADR:;;;東京\\;;;\nEND:VCARD'
char_cases=(
  "quote-backslash|1000|1024=say \"hi\" C:\\dir\\|say \"hi\" C:\\dir\\"
  "two-lines|1000|1024=Grüße"$'\r\n'"日本語|Grüße"$'\r\n'"日本語"
  "url|1001|1026=例え.jp/?q=\"x\"\\|http://例え.jp/?q=\"x\"\\"
  "phone|1003|1025=+81 \"03\"\\|tel:+81 \"03\"\\"
  "sms|1004|1028=+49\\|1027=Grüße \"A\""$'\r\n'"日本語\\|SMSTO:+49\\:Grüße \"A\""$'\r\n'"日本語\\"
  "contact|1002|1011=Müller \"M\"|1012=Jōji\\|1020=東京\\|$VCARD_PEOPLE"
)
# What the real encoder's code reads back as where that is not the payload:
# text whose only non-ASCII characters are Japanese is stored in Shift JIS,
# which has no backslash, so the encoder writes the full-width one (U+FF3C).
declare -A CODE_READS=([url]="http://例え.jp/?q=\"x\"＼")

# Fills the fields of a case and checks what the encoder got; MODE is file or code.
run_char_case() {
  local mode=$1 name type payload fields field i
  split_fields "$2"
  fields=("${FIELDS[@]}")
  name=${fields[0]}
  type=${fields[1]}
  payload=${fields[${#fields[@]} - 1]}
  for ((i = 2; i < ${#fields[@]} - 1; i++)); do
    field=${fields[$i]%%=*}
    select_field "$type" "$field" && paste_settled "$field" "${fields[$i]#*=}"
  done
  if [ "$mode" = file ]; then
    expect_ui "$mode-$name" "save=0 preview=text"
  else
    expect_ui "$mode-$name" "save=1 preview=picture"
  fi
  [ "$mode" = code ] && payload=${CODE_READS[$name]:-$payload}
  expect_out "$mode-$name" "$mode:$payload"
  # Leaves the fields empty for the next run.
  for ((i = 2; i < ${#fields[@]} - 1; i++)); do
    click_control "${fields[$i]%%=*}" && xdotool key ctrl+a BackSpace
  done
}

for entry in "${char_cases[@]}"; do
  run_char_case file "$entry"
done
quit_app

launch "$BIN/kelvora.exe"
for entry in "${char_cases[@]}"; do
  run_char_case code "$entry"
done

# --- 4. out.png held open by another program ----------------------------------
# Sharing nothing: the old file can be neither deleted, rewritten nor read, so
# the cycle ends without a picture; the other program's file is left whole.
# Sharing reading (as a viewer might): the old file cannot be replaced but
# can be read. Either way, once it is let go, typing works again.
hold() {
  rm -f "$WORK/hold.log"
  wine "$BIN/hold_file.exe" "$@" "$(winepath -w "$OUT")" 120 </dev/null >"$WORK/hold.log" 2>&1 &
  HOLD_PID=$!
  local i
  for i in $(seq 1 100); do
    grep -qs held "$WORK/hold.log" && return 0
    kill -0 "$HOLD_PID" 2>/dev/null || break
    sleep 0.1
  done
  fail "hold_file did not get hold of out.png: $(cat "$WORK/hold.log")"
  return 1
}

release() {
  kill "$HOLD_PID" 2>/dev/null
  wait "$HOLD_PID" 2>/dev/null
  HOLD_PID=
}

select_field 1000 1024 && paste_settled 1024 "held one"
expect_ui "held-before" "save=1 preview=picture"
expect_out "held-before" "code:held one"

if hold; then
  type_settled 1024 " two" "held one two"
  expect_ui "held-exclusive" "save=0 preview=text"
  release
  expect_out "held-exclusive" "code:held one"
fi
type_settled 1024 " three" "held one two three"
expect_ui "held-released" "save=1 preview=picture"
expect_out "held-released" "code:held one two three"

if hold --share-read; then
  # The old file can still be read, but it is an earlier text's code: it must
  # be neither shown nor offered to Save.
  type_settled 1024 " four" "held one two three four"
  expect_ui "held-shared" "save=0 preview=text"
  answers 2000 || fail "held-shared: the program does not answer"
  release
  expect_out "held-shared" "code:held one two three"
fi
type_settled 1024 " five" "held one two three four five"
expect_ui "held-shared-released" "save=1 preview=picture"
expect_out "held-shared-released" "code:held one two three four five"

# --- 5. Too long for a code ----------------------------------------------------
# 2953 bytes are the most that a code holds: that one reads back whole, one more
# is refused by the encoder.
paste_settled 1024 "${long:0:2953}"
expect_ui "longest" "save=1 preview=picture" 30
expect_out "longest" "code:${long:0:2953}"
paste_settled 1024 "${long:0:2954}"
expect_ui "one-too-many" "save=0 preview=text" 30
expect_out "one-too-many" none

# The largest contact card: 13 fields of 4095 units, longer than any command
# line, so no encoder can even be started.
select_field 1002 1011
for id in $(seq 1011 1023); do
  click_control "$id" && paste_replace "${long:0:4095}"
done
printf '%s' "${long:0:4095}" >"$WORK/want"
for id in $(seq 1011 1023); do
  wait_field "$id" "$WORK/want" 30 || fail "largest-card: field $id does not hold its 4095 characters"
done
expect_ui "largest-card" "save=0 preview=text" 30
expect_out "largest-card" none

# Still the same program: a short card is encoded again.
for id in $(seq 1011 1023); do
  click_control "$id" && xdotool key ctrl+a BackSpace
done
click_control 1011 && type_settled 1011 "Doe" "Doe"
expect_ui "card-again" "save=1 preview=picture" 30
expect_out "card-again" "code:"$'BEGIN:VCARD\nVERSION:3.0\nN:Doe;\nORG:\nEMAIL;TYPE=INTERNET:\nURL:\nTEL;TYPE=CELL:\nTEL:\nTEL;TYPE=FAX:\nADR:;;;;;;\nEND:VCARD'
quit_app

if [ "$failures" -ne 0 ]; then
  echo "test_faults: $failures failure(s); screenshots in $ART" >&2
  exit 1
fi
echo "test_faults: every fault and every awkward input ended in a promised state"
