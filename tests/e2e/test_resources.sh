#!/usr/bin/env bash
# The resources that the built program carries, as the resource compiler reads
# them back out of kelvora.exe: the main window's template word for word, the
# five panel templates' style, the icon group and the manifest.
# Usage: test_resources.sh BIN_DIR
set -u
BIN=$(cd "${1:?usage: $0 BIN_DIR}" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! i686-w64-mingw32-windres -i "$BIN/kelvora.exe" -O rc >"$WORK/all.rc" 2>"$WORK/windres.log"; then
  cat "$WORK/windres.log" >&2
  echo "FAIL: windres cannot read $BIN/kelvora.exe" >&2
  exit 1
fi

# Memory flags (MOVEABLE, PURE...) mean nothing in a 32-bit module; drop them.
sed -E 's/ (MOVEABLE|FIXED|PURE|IMPURE|PRELOAD|LOADONCALL|DISCARDABLE)//g' "$WORK/all.rc" >"$WORK/plain.rc"

# The main template, from its header to its END.
awk '/^129 DIALOGEX/ { on = 1 } on { print } on && /^END/ { exit }' "$WORK/plain.rc" >"$WORK/main.rc"
cat >"$WORK/main.expected" <<'EOF'
129 DIALOGEX 0, 0, 477, 151
STYLE 0x80ca08c8
CAPTION "Kelvora"
FONT 8, "MS Shell Dlg", 400, 0, 1
BEGIN
  CONTROL "Save", 1, "BUTTON", 0x50010001, 364, 128, 50, 14
  CONTROL "Exit", 2, "BUTTON", 0x50010000, 418, 128, 50, 14
  CONTROL "Type", -1, "BUTTON", 0x50000007, 10, 7, 78, 115
  CONTROL "Free Text", 1000, "BUTTON", 0x50020009, 19, 22, 47, 10
  CONTROL "URL", 1001, "BUTTON", 0x50000009, 19, 42, 29, 10
  CONTROL "Contact", 1002, "BUTTON", 0x50000009, 19, 62, 41, 10
  CONTROL "Phone Number", 1003, "BUTTON", 0x50000009, 19, 82, 63, 10
  CONTROL "SMS", 1004, "BUTTON", 0x50000009, 19, 102, 29, 10
  CONTROL "Data", 1005, "BUTTON", 0x50000007, 94, 7, 246, 115
  CONTROL "Preview", -1, "BUTTON", 0x50000007, 347, 7, 120, 115
  CONTROL "", 1006, "STATIC", 0x50000007, 353, 16, 108, 100
END
EOF
if ! diff -u "$WORK/main.expected" "$WORK/main.rc" >&2; then
  fail "the main window's template differs"
fi

# Each panel: a hidden child of 241 x 97 units in the shell font.
for id in 130 131 132 133 134; do
  header=$(awk -v id="$id" '$1 == id && $2 == "DIALOGEX" { print; getline; print; getline; print; exit }' "$WORK/plain.rc")
  expected="$id DIALOGEX 0, 0, 241, 97
STYLE 0x40080048
FONT 8, \"MS Shell Dlg\", 400, 0, 1"
  [ "$header" = "$expected" ] || fail "panel template $id starts with: $header"
done

grep -q '^135 14 /\* RT_GROUP_ICON \*/' "$WORK/all.rc" || fail "no icon group 135"
icons=$(grep -c '^[0-9]* 3 /\* RT_ICON \*/' "$WORK/all.rc")
[ "$icons" = 11 ] || fail "$icons icon images, expected 11"

manifests=$(grep -c ' 24 /\* RT_MANIFEST \*/' "$WORK/all.rc")
[ "$manifests" = 1 ] || fail "$manifests manifests, expected exactly one"
awk '/^1 24 \/\* RT_MANIFEST \*\//, /^END/' "$WORK/all.rc" >"$WORK/manifest.rc"
for part in 'level=""asInvoker""' 'uiAccess=""false""' 'name=""Microsoft.Windows.Common-Controls""' \
  'version=""6.0.0.0""' 'processorArchitecture=""x86""' 'publicKeyToken=""6595b64144ccf1df""'; do
  grep -qF "$part" "$WORK/manifest.rc" || fail "manifest 1 lacks $part"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "resources: all checks passed"
