#!/usr/bin/env bash
# The whole chain from a payload to the picture: the program's own encoder step
# (run_encoder.exe: paths, command line, process) writes out.png with the real
# encoder, and zbarimg must read back exactly the payload's bytes.
# Usage: test_encoder_chain.sh BIN_DIR
set -u
BIN=$(cd "${1:?usage: $0 BIN_DIR}" && pwd)
. "$(dirname "$0")/../../scripts/env.sh"

OUT="$KELVORA_LOCALAPPDATA/out.png"
EVIL="$WINEPREFIX/drive_c/evil.png"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Writes the payload to a file and runs the encoder step on it.
encode() {
  printf '%s' "$1" >"$WORK/payload"
  wine "$BIN/run_encoder.exe" "$(winepath -w "$WORK/payload")" </dev/null >"$WORK/run.log" 2>&1
}

# zbarimg ends the text with one newline of its own; the rest must be the payload.
decoded_matches() {
  zbarimg --nodbus -q --raw "$OUT" >"$WORK/decoded" 2>"$WORK/zbar.log" || return 1
  if [ "$(tail -c 1 "$WORK/decoded" | od -An -tx1 | tr -d ' ')" = 0a ]; then
    head -c -1 "$WORK/decoded" >"$WORK/decoded.text"
  else
    cp "$WORK/decoded" "$WORK/decoded.text"
  fi
  cmp -s "$WORK/payload" "$WORK/decoded.text"
}

names=(plain quote trailing-backslash backslash-quote two-backslashes lone-backslash crlf latin1 japanese injection)
payloads=(
  'hello world'
  'say "hi"'
  'C:\dir\'
  'a\"b'
  '\\'
  '\'
  $'line1\r\nline2\r\n'
  'Grüße'
  '日本語'
  'x" --output="C:\evil.png'
)

# The bytes of a file, readably on one line.
show() {
  od -An -c "$1" | tr -s ' \n' ' '
}

for i in "${!names[@]}"; do
  name=${names[$i]}
  rm -f "$OUT" "$EVIL"
  if ! encode "${payloads[$i]}"; then
    fail "$name: run_encoder.exe failed: $(cat "$WORK/run.log")"
  elif [ ! -s "$OUT" ]; then
    fail "$name: no out.png after the run"
  elif ! decoded_matches; then
    fail "$name: decoded [$(show "$WORK/decoded.text")] instead of [$(show "$WORK/payload")]"
  fi
  if [ -e "$EVIL" ]; then
    fail "$name: the payload added an option: $EVIL was written"
  fi
done

# An empty payload removes the picture a non-empty one left.
encode 'left behind' && [ -s "$OUT" ] || fail "empty: the non-empty run before it left no out.png"
encode '' || fail "empty: run_encoder.exe failed: $(cat "$WORK/run.log")"
[ -e "$OUT" ] && fail "empty: out.png is still there after an empty payload"

if [ "$failures" -ne 0 ]; then
  echo "test_encoder_chain: $failures failure(s)" >&2
  exit 1
fi
echo "test_encoder_chain: all ${#names[@]} payloads came back whole; the empty payload left no out.png"
