# shellcheck shell=bash
# What a person sees of the running program, asked from outside: where its
# controls are, whether Save is enabled, what a field holds, what the preview
# frame shows, whether the window still answers. Also the clipboard, for
# pasting what xdotool cannot type.
# Sourced after scripts/env.sh and lib_main_window.sh; needs BIN (the build's
# bin folder, which holds window_geometry.exe) and WORK (a scratch folder).

CLIP_PID=

# window_geometry.exe with its arguments; its stdout as it is.
geometry() {
  wine "$BIN/window_geometry.exe" "$@" </dev/null 2>/dev/null
}

# The program's controls where they are now, into $WORK/controls:
# id visible left top right bottom, in screen pixels.
read_controls() {
  geometry controls | tr -d '\r' >"$WORK/controls"
}

# Clicks the middle of the visible control with this id (read_controls first).
click_control() {
  local pos
  pos=$(awk -v id="$1" '$1 == id && $2 == 1 { printf "%d %d", ($3 + $5) / 2, ($4 + $6) / 2; exit }' \
    "$WORK/controls")
  if [ -z "$pos" ]; then
    fail "no visible control with id $1"
    return 1
  fi
  # No --sync: it waits for a move, and there is none when the pointer is
  # there already. The server takes the move and the click in order anyway.
  # shellcheck disable=SC2086
  xdotool mousemove $pos click 1
}

# Clicks the type button TYPE, waits (bounded) until its panel shows the field
# FIELD and clicks that field.
select_field() {
  local deadline=$((SECONDS + 20))
  click_control "$1" || return 1
  until read_controls && awk -v id="$2" '$1 == id && $2 == 1 { found = 1 } END { exit !found }' \
    "$WORK/controls"; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      fail "type $1 did not show the field $2"
      return 1
    fi
    sleep 0.2
  done
  click_control "$2"
}

# Waits (bounded, SECONDS) until the field ID holds exactly the bytes of FILE.
# The program answers the read only between two cycles, so once the field
# holds the last keystroke, the cycle that keystroke started has ended.
wait_field() {
  local deadline=$((SECONDS + ${3:-20}))
  while :; do
    field_text "$1" "$WORK/field" && cmp -s "$WORK/field" "$2" && return 0
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.3
  done
}

# 1 when Save is enabled, 0 when not.
save_enabled() {
  geometry enabled 1 | tr -d '\r\n'
}

# The text of the field ID, as UTF-8, into FILE. Fails when the program does not answer.
field_text() {
  geometry text "$1" >"$2"
}

# True when the program handles a message within MS milliseconds (default 1000).
answers() {
  geometry answers "${1:-1000}"
}

# The titles of the visible top-level windows that have one, one a line.
visible_windows() {
  local id name
  for id in $(xdotool search --onlyvisible --maxdepth 1 --name '.' 2>/dev/null); do
    name=$(xdotool getwindowname "$id" 2>/dev/null) && [ -n "$name" ] && echo "$name"
  done
}

app_alive() {
  [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null
}

# What the preview frame shows, judged from a screenshot of its inside:
#   picture  a picture (a code has about half of its area dark)
#   text     a little dark text, centred: the error message
#   white    a white area and nothing dark: a blank picture
#   blank    nothing but the window's background
# Keeps the cut-out as $WORK/preview.png.
preview_state() {
  local geom dark white box
  geom=$(awk '$1 == 1006 { printf "%dx%d+%d+%d", $5 - $3 - 6, $6 - $4 - 6, $3 + 3, $4 + 3; exit }' \
    "$WORK/controls")
  [ -n "$geom" ] || { echo unknown; return; }
  import -window root "$WORK/screen.png" 2>/dev/null || { echo unknown; return; }
  convert "$WORK/screen.png" -crop "$geom" +repage "$WORK/preview.png"
  dark=$(convert "$WORK/preview.png" -colorspace gray -threshold 50% -negate -format '%[fx:mean]' info:)
  white=$(convert "$WORK/preview.png" -fill black +opaque white -format '%[fx:mean]' info:)
  if awk -v d="$dark" 'BEGIN { exit !(d >= 0.2) }'; then
    echo picture
  elif awk -v d="$dark" 'BEGIN { exit !(d > 0) }'; then
    # The dark pixels' box must sit in the middle, as the message does.
    box=$(convert "$WORK/preview.png" -colorspace gray -threshold 50% -format '%@' info:)
    if awk -v box="$box" -v g="$geom" 'BEGIN {
          split(box, b, /[x+]/); split(g, f, /[x+]/)
          dx = b[3] + b[1] / 2 - f[1] / 2; dy = b[4] + b[2] / 2 - f[2] / 2
          exit !(dx * dx <= 16 && dy * dy <= 16) }'; then
      echo text
    else
      echo "off-centre-text($box)"
    fi
  elif awk -v w="$white" 'BEGIN { exit !(w > 0.3) }'; then
    echo white
  else
    echo blank
  fi
}

# "save=S preview=P": the two things the end of a cycle decides.
ui_state() {
  echo "save=$(save_enabled) preview=$(preview_state)"
}

# Waits (bounded, SECONDS) until ui_state is WANT; prints the last state seen.
wait_ui_state() {
  local want=$1 seconds=${2:-20} deadline state
  deadline=$((SECONDS + seconds))
  while :; do
    state=$(ui_state)
    [ "$state" = "$want" ] && { echo "$state"; return 0; }
    [ "$SECONDS" -ge "$deadline" ] && { echo "$state"; return 1; }
    sleep 0.3
  done
}

# Puts the bytes of FILE on the clipboard, served by an xclip of our own, and
# waits until the clipboard gives them back.
clipboard_from_file() {
  [ -n "$CLIP_PID" ] && kill "$CLIP_PID" 2>/dev/null
  xclip -selection clipboard -i -quiet <"$1" >/dev/null 2>&1 &
  CLIP_PID=$!
  for _ in $(seq 1 50); do
    xclip -selection clipboard -o 2>/dev/null | cmp -s - "$1" && return 0
    sleep 0.1
  done
  fail "the clipboard does not hold $(basename "$1")"
  return 1
}

# Replaces the focused field's text with TEXT, as a person would: select all, paste.
paste_replace() {
  printf '%s' "$1" >"$WORK/clip"
  clipboard_from_file "$WORK/clip" && xdotool key ctrl+a ctrl+v
}

stop_clipboard() {
  [ -n "$CLIP_PID" ] && kill "$CLIP_PID" 2>/dev/null
  CLIP_PID=
}

# True when FILE holds exactly the bytes of TEXT.
file_is() {
  printf '%s' "$2" | cmp -s - "$1"
}

# zbarimg's reading of PNG into OUT_FILE, without the newline it adds.
decode_to() {
  zbarimg --nodbus -q --raw "$1" >"$2" 2>/dev/null || return 1
  if [ "$(tail -c 1 "$2" | od -An -tx1 | tr -d ' ')" = 0a ]; then
    truncate -s -1 "$2"
  fi
}

# The bytes of a file on one line, for messages; long files by their size.
show_bytes() {
  if [ ! -e "$1" ]; then
    echo "(no file)"
  elif [ "$(stat -c %s "$1")" -gt 80 ]; then
    echo "($(stat -c %s "$1") bytes)"
  else
    od -An -c "$1" | tr -s ' \n' ' '
  fi
}

# Ends the program with Alt+F4 as a person would and checks that it ends with 0;
# kills it only when that did not work.
quit_app() {
  local rc
  app_alive || { fail "the program was gone before Alt+F4"; APP_PID=; return; }
  xdotool key alt+F4
  for _ in $(seq 1 100); do
    app_alive || break
    sleep 0.1
  done
  if app_alive; then
    fail "Alt+F4 did not end the program"
    kill "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
  else
    wait "$APP_PID"
    rc=$?
    [ "$rc" = 0 ] || fail "the program ended with $rc after Alt+F4, expected 0"
  fi
  APP_PID=
}
