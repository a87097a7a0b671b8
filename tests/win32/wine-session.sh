#!/usr/bin/env bash
# What every test that drives a Windows program under Wine shares: a
# temporary folder, a virtual display with one Wine prefix on it, and the
# clean-up and failure report. Source it after setting
#   artefacts     the folder for screenshots
#   failure_shot  the name of the screenshot taken on failure (failure.png)
# then call wine_session_start [SCREEN_SIZE].
#
# It sets `work` (removed at exit), `root` (the project's folder) and leaves
# `app` for the caller's running program, which is killed at exit.

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work=$(mktemp -d)
xvfb=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  tmq_wine_stop 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FALLO: $*" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$artefacts/${failure_shot:-failure.png}" 2>/dev/null
  exit 1
}

# shellcheck source=../support/display.sh
source "$root/tests/support/display.sh"

# A virtual display of the given size, and a fresh Wine prefix with one
# wineserver for the whole run on it.
wine_session_start() {
  tmq_display_start "$work" "${1:-1024x768}"

  # shellcheck source=../../scripts/wine-env.sh
  source "$root/scripts/wine-env.sh"
  tmq_wine_start "$work"
  trap cleanup EXIT
}
