# Environment for everything that runs Wine; sourced, never executed.
KELVORA_ROOT=${KELVORA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export KELVORA_ROOT
export WINEPREFIX=${KELVORA_WINEPREFIX:-$KELVORA_ROOT/.cache/wineprefix}
# err+module: a missing DLL otherwise ends a program silently with code 53.
export WINEDEBUG=${WINEDEBUG:--all,err+module}
# No Mono or Gecko prompts.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32
export LANG=${LANG:-C.UTF-8}
# The local application data folder as Linux sees it (out.png lives here).
export KELVORA_LOCALAPPDATA="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local"
