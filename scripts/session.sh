# Start and stop of the X display and the Wine session that tests and the program
# run in. Sourced; call session_start once and session_stop from an EXIT trap.
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"

KELVORA_XVFB_PID=
KELVORA_OWN_WINESERVER=

# An X display: the caller's own when it has one (and KELVORA_XVFB is not 1),
# else a private Xvfb on the first free display number.
session_display() {
  if [ -n "${DISPLAY:-}" ] && [ "${KELVORA_XVFB:-0}" != 1 ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n=90
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  KELVORA_XVFB_PID=$!
  export DISPLAY=:$n
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "session: Xvfb did not start on $DISPLAY" >&2
  return 1
}

session_keepalive_exe() {
  local exe=$KELVORA_ROOT/.cache/keepalive.exe
  if [ ! -f "$exe" ]; then
    i686-w64-mingw32-gcc -O2 -mwindows -o "$exe" "$KELVORA_ROOT/scripts/keepalive.c"
  fi
  echo "$exe"
}

# Every Wine helper process gets /dev/null for stdio: if one inherited a pipe of
# ctest's, each test would wait for it to end.
session_wine() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "session: creating the Wine prefix in $WINEPREFIX (once)" >&2
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
  fi
  wineserver -p </dev/null >/dev/null 2>&1
  KELVORA_OWN_WINESERVER=1
  wine wineboot </dev/null >/dev/null 2>&1
  if [ ! -f "$WINEPREFIX/.kelvora-settings" ]; then
    # A crashing program must end, not wait behind Wine's crash dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    touch "$WINEPREFIX/.kelvora-settings"
  fi
  wine "$(session_keepalive_exe)" </dev/null >/dev/null 2>&1 &
  mkdir -p "$KELVORA_LOCALAPPDATA"
}

session_start() {
  session_display && session_wine
}

session_stop() {
  if [ -n "$KELVORA_OWN_WINESERVER" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    KELVORA_OWN_WINESERVER=
  fi
  if [ -n "$KELVORA_XVFB_PID" ]; then
    kill "$KELVORA_XVFB_PID" 2>/dev/null || true
    wait "$KELVORA_XVFB_PID" 2>/dev/null || true
    KELVORA_XVFB_PID=
  fi
}
