# Shell helpers for the tests that drive a program on a private virtual
# display. Source it; the caller defines fail() and stops "$xvfb" when done.
#
#   tmq_display_start WORK [SIZE]  # a private Xvfb (1024x768 unless SIZE), its
#                                  # number kept in WORK; exports DISPLAY
#   wait_for_window REGEX    # prints the id of the visible window whose name matches
#   wait_until_gone REGEX    # returns once no visible window's name matches
#   wait_for_end NAME        # waits for the program started as "$app"; its exit code
#                            # goes to $status (fails, naming NAME, if it never ends)

tmq_display_start() {
  Xvfb -displayfd 3 -screen 0 "${2:-1024x768}x24" -nolisten tcp 3>"$1/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  [ -s "$1/display" ] || fail "no arranca Xvfb"
  export DISPLAY=":$(cat "$1/display")"
}

wait_for_window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

wait_until_gone() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

wait_for_end() {
  for _ in $(seq 600); do
    if ! kill -0 "$app" 2>/dev/null; then
      status=0
      wait "$app" || status=$?
      app=""
      return 0
    fi
    sleep 0.1
  done
  fail "$1: el programa no termina"
}
