# Helpers for driving the client in tmux: the callers set sock (the tmux
# socket), session, BOUND (seconds to wait for any one thing) and failures.
# With KESTREL_FIRST_FAILURE=1 (the slip stage) the first failure ends the script.

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
  if [ "${KESTREL_FIRST_FAILURE:-}" = 1 ]; then
    screen 2>/dev/null | sed 's/^/  | /' || true
    exit 1
  fi
}
tm() { tmux -S "$sock" "$@"; }
keys() { tm send-keys -t "$session" "$@"; }
typed() { tm send-keys -t "$session" -l "$1"; }
screen() { tm capture-pane -p -t "$session"; }
everything() { tm capture-pane -p -S - -E - -t "$session"; }

# Polls until the command's output satisfies the test; dumps the screen on giving up.
wait_until() {   # wait_until DESCRIPTION COMMAND...
  local what=$1; shift
  local tries=$((BOUND * 10))
  while [ $tries -gt 0 ]; do
    if "$@"; then return 0; fi
    sleep 0.1
    tries=$((tries - 1))
  done
  fail "no $what within ${BOUND}s; screen:"
  screen | sed 's/^/  | /'
  return 1
}

# The visible line holding the cursor, and whether it equals a text (trailing blanks ignored).
cursor_line() {
  local y; y=$(tm display -p -t "$session" '#{cursor_y}')
  screen | sed -n "$((y + 1))p" | sed 's/[[:space:]]*$//'
}
line_above_cursor() {
  local y; y=$(tm display -p -t "$session" '#{cursor_y}')
  screen | sed -n "${y}p" | sed 's/^[[:space:]]*//; s/[[:space:]]*$//'
}
# A pipe into grep -q can fail the pipeline under pipefail: grep leaves at its
# first match and the writer dies of SIGPIPE. Texts are taken whole first.
screen_has() { local s; s=$(screen); grep -qF -- "$1" <<<"$s"; }
