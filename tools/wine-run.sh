#!/usr/bin/env bash
# Runs a Windows program under wine64 in the project's private prefix.
# IRPROBE_WINE_LIBDIR (a Unix path) is put on the program's library search
# path through WINEPATH. Usage: tools/wine-run.sh program.exe [args...]
set -euo pipefail
export WINEPREFIX="${IRPROBE_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/irprobe-wine}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
fi
if [ -n "${IRPROBE_WINE_LIBDIR:-}" ]; then
  export WINEPATH="$(winepath -w "$IRPROBE_WINE_LIBDIR" 2>/dev/null)"
fi
exec wine "$@"
