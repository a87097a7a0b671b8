#!/usr/bin/env bash
# Wine for running the Windows programs and tests, set up the same way for
# every caller. Source it, then:
#
#   tmq_wine_start BUILD_FOLDER   # fresh prefix BUILD_FOLDER/wine-prefix, one
#                                 # wineserver kept for the whole run
#   "$TMQ_WINE" program.exe ...   # run Windows programs (exit codes modulo 256;
#                                 # 53: Wine could not open the program)
#   tmq_wine_stop                 # ends the wineserver (also at shell exit)
#
# What it takes care of: Debian's Wine does not find its own fonts, so they
# are copied into the prefix; Mono and Gecko are not installed
# (WINEDLLOVERRIDES); windows of the X11 driver get no frame decoration
# (without a window manager they would have none anyway); the first program on
# a fresh wineserver starts Wine's services, which keep its standard error
# open, so a throw-away program runs first with its output to /dev/null; and
# a UTF-8 locale, without which Wine garbles non-ASCII arguments.

tmq_wine_start() {
  local build="${1:?tmq_wine_start needs the build folder}"
  mkdir -p "$build"
  export WINEPREFIX
  WINEPREFIX="$(cd "$build" && pwd)/wine-prefix"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG="${WINEDEBUG:--all}"
  export LC_ALL=C.UTF-8
  export WINEARCH=win64
  TMQ_WINE="$(command -v wine64 || true)"
  [ -n "$TMQ_WINE" ] || TMQ_WINE=/usr/lib/wine/wine64
  [ -x "$TMQ_WINE" ] || TMQ_WINE="$(command -v wine || true)"
  TMQ_WINESERVER="$(command -v wineserver || true)"
  [ -n "$TMQ_WINESERVER" ] || TMQ_WINESERVER=/usr/lib/wine/wineserver
  if [ -z "$TMQ_WINE" ] || [ ! -x "$TMQ_WINESERVER" ]; then
    echo "Wine no está instalado (paquetes wine y wine64)" >&2
    return 1
  fi
  export TMQ_WINE TMQ_WINESERVER

  # A fresh prefix: nothing from an earlier run leaks into this one.
  "$TMQ_WINESERVER" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$TMQ_WINESERVER" -p
  "$TMQ_WINE" wineboot -i >/dev/null 2>&1 || true
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  "$TMQ_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
  # The throw-away program: it starts Wine's services with no pipe attached.
  "$TMQ_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
  trap tmq_wine_stop EXIT
}

# Ends the wineserver and starts it again on the same prefix: Wine 10 takes
# the screen's scale (LogPixels) only when its session starts.
tmq_wine_restart() {
  "$TMQ_WINESERVER" -k 2>/dev/null || true
  "$TMQ_WINESERVER" -w 2>/dev/null || true
  "$TMQ_WINESERVER" -p
  "$TMQ_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

tmq_wine_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -n "${TMQ_WINESERVER:-}" ]; then
    "$TMQ_WINESERVER" -k 2>/dev/null || true
  fi
}

# Turns a Linux path into the one Windows programs see (drive Z:).
tmq_wine_path() {
  local path
  path="$(readlink -m "$1")"
  printf 'Z:%s' "${path//\//\\}"
}
