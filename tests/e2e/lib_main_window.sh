# Driving the real program's main window as a person would: start it, click at
# places given in the template's dialog units, type, look at the screen.
# Sourced by the e2e scripts after scripts/env.sh; needs DISPLAY.

# The main window's template size in dialog units.
MAIN_DU_WIDTH=477
MAIN_DU_HEIGHT=151

APP_PID=
APP_WID=

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Starts EXE and waits until its window is mapped; sets APP_PID, APP_WID, WIN_X/Y/W/H.
start_app() {
  wine "$1" </dev/null >/dev/null 2>&1 &
  APP_PID=$!
  APP_WID=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvora$' | head -1)
  [ -n "$APP_WID" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$APP_WID")"
  # Without a window manager the X window is exactly the client area.
  WIN_X=$X WIN_Y=$Y WIN_W=$WIDTH WIN_H=$HEIGHT
}

# Ends the program as a person would; kills it only if that did not work.
stop_app() {
  [ -n "$APP_PID" ] || return 0
  xdotool windowfocus --sync "$APP_WID" 2>/dev/null
  xdotool key alt+F4
  local i
  for i in $(seq 1 50); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$APP_PID" 2>/dev/null; then
    fail "the program did not end on alt+F4"
    kill "$APP_PID" 2>/dev/null
  fi
  wait "$APP_PID" 2>/dev/null
  APP_PID=
}

# Screen position of a point given in the main window's dialog units.
du_x() { echo $((WIN_X + $1 * WIN_W / MAIN_DU_WIDTH)); }
du_y() { echo $((WIN_Y + $1 * WIN_H / MAIN_DU_HEIGHT)); }

click_du() {
  xdotool mousemove "$(du_x "$1")" "$(du_y "$2")" click 1
}

# Clicks into the Free Text field and types TEXT (ASCII).
type_free_text() {
  click_du 200 70
  xdotool type --delay 40 "$1"
}

# The inside of the preview frame (353, 16, 108 x 100 dialog units) as an
# ImageMagick crop geometry, a few pixels in from its black border.
preview_crop() {
  local left top right bottom
  left=$(($(du_x 353) + 4))
  top=$(($(du_y 16) + 4))
  right=$(($(du_x 461) - 4))
  bottom=$(($(du_y 116) - 4))
  echo "$((right - left))x$((bottom - top))+$left+$top"
}

# Number of distinct colours in an area of a screenshot.
colours_in() {
  /usr/bin/convert "$1" -crop "$2" +repage -format %k info:
}

# zbarimg's text for FILE without its own final newline; fails when nothing decodes.
decode() {
  local text
  text=$(zbarimg --nodbus -q --raw "$1" 2>/dev/null) || return 1
  printf '%s' "$text"
}

# Waits until out.png holds the code of TEXT (the program regenerates per keystroke).
wait_for_code() {
  local i
  for i in $(seq 1 100); do
    [ "$(decode "$KELVORA_LOCALAPPDATA/out.png" 2>/dev/null)" = "$1" ] && return 0
    sleep 0.2
  done
  return 1
}

screenshot() {
  import -window root "$1"
}
