#!/usr/bin/env bash
# The pager's key wait on the Windows console: kestrel.exe runs under Wine in a
# tmux pane, where Wine gives it a real console. Keys that give no character
# (arrows, function keys) do not continue; a letter and Enter do, and neither
# reaches the next command line; the request is wiped; the console's line
# input works again afterwards. Then the console's Ctrl+C during the wait for
# a silent server (tests/fake_server.py): it ends the lookup and the session
# goes on, and the end of input (Ctrl+Z) right after ends it; without Ctrl+C
# it ends at its time-out; and a reply whose names and text hold control
# bytes, shown escaped on the console, after a Ctrl+C typed with its line. Run
# by tests/stages/windows.sh inside the private namespace, with WINEPREFIX set
# and its wineserver running.
#   tests/wine/console_pager.sh EXE
set -euo pipefail
exe=$(realpath "$1")
wine=/usr/lib/wine/wine64
dir=$(mktemp -d /tmp/kestrel-wine-console.XXXXXX)
sock=$dir/tmux.sock
fake=
trap 'tmux -S "$sock" kill-server 2>/dev/null || true; [ -z "$fake" ] || kill "$fake"; rm -rf "$dir"' EXIT

BOUND=${TERMINAL_WAIT_SECONDS:-60}
failures=0
session=pager

source "$(dirname "$0")/../tmux_helpers.sh"
at_prompt() { [ "$(cursor_line)" = ">" ]; }
paused() { [ "$(cursor_line)" = "Press any key to continue..." ]; }
ended() { screen_has "status=0"; }
silent_queries() { [ "$(grep -cs name=silent.test "$dir/queries.log")" -ge "$1" ]; }

tm new-session -d -s "$session" -x 100 -y 40 "stty susp undef; $wine $exe; echo status=\$?; sleep 600"
wait_until "prompt after start-up" at_prompt || { echo "console pager: $failures failed"; exit 1; }

# Discovery gave 127.0.0.1; 22 more make every listing 24 counted lines long
# ("Name Servers:" and 23 addresses) only at the last add.
for i in $(seq 2 23); do
  typed "addserver 127.0.0.$i"; keys Enter
  if [ "$i" -lt 23 ]; then
    wait_until "listing of $i servers" at_prompt || break
  fi
done

echo "--- a listing of exactly 24 lines pauses after its last line"
if wait_until "pause after 24 lines" paused; then
  [ "$(line_above_cursor)" = "127.0.0.23" ] || fail "the pause did not come right after the 24th line"
  # Keys that give no character leave it waiting.
  keys Up; keys Left; keys F5; keys Home
  sleep 1
  paused || fail "a key without a character continued the listing"
  keys x
  wait_until "prompt after x" at_prompt || true
  screen_has "Press any key" && fail "the request is still on the screen after x"
fi

echo "--- the key is consumed, line input works again"
typed "set all"; keys Enter
if wait_until "pause in set all" paused; then
  all=$(everything)
  grep -qF ">set all" <<<"$all" || fail "the key that continued reached the next line"
  [ "$(line_above_cursor)" = "127.0.0.23" ] || fail "set all did not pause after the 24th line"
  # Enter continues too, and is taken out of the input: no empty command follows.
  # (Ctrl+C is not tried here: Wine's console leaves the
  # terminal's signal keys on whatever the console mode, so Ctrl+C reaches the
  # program only as the console's control event, never as a key, and the
  # console's read of a line goes on through it.)
  keys Enter
  wait_until "end of set all after Enter" at_prompt || true
  screen_has "Press any key" && fail "the request is still on the screen after Enter"
  [ "$(line_above_cursor)" = "TYPE=A, CLASS=ANY, port=53" ] || fail "Enter at the pause reached the command line"
fi
echo "--- Ctrl+C during a lookup"
{
  echo "127.0.0.50 udp silent"
  # as tests/e2e/cases/hostile_control_bytes has it
  echo "127.0.0.51 udp reply raw=0000850000010002000000000363746c04746573740000100001c00c001000010000003c001b1a6265666f72650d41465445521b5d303b6f776e6564075c656e64081b5b33316d726564c00c000100010000003c0004c0000201"
} > "$dir/silent.fake"
python3 "$(dirname "$0")/../fake_server.py" "$dir/silent.fake" "$dir/queries.log" > "$dir/fake.out" &
fake=$!
wait_until "the silent server" grep -qs ready "$dir/fake.out" || true
typed "server 127.0.0.50"; keys Enter
wait_until "listing of the silent server" at_prompt || true
typed "set timeout=3600"; keys Enter
typed "silent.test"; keys Enter
# Without Ctrl+C the wait would outlast every bound here.
if wait_until "the query at the silent server" grep -qs "name=silent.test" "$dir/queries.log"; then
  keys C-c
  wait_until "the prompt after Ctrl+C" at_prompt || true
  [ "$(line_above_cursor)" = "No answer or error occur" ] || fail "Ctrl+C ended the lookup with: $(line_above_cursor)"
  typed "set all"; keys Enter
  wait_until "set all after Ctrl+C" screen_has "retry=3, timeout=3600" || true
  [ "$(grep -c name=silent.test "$dir/queries.log")" = 1 ] || fail "queries were sent after Ctrl+C"
fi
echo "--- control bytes of a reply, shown escaped"
typed "server 127.0.0.51"; keys Enter
# A Ctrl+C while the line is typed belongs to the line, not to its lookup.
keys C-c
typed "ctl.test"; keys Enter
wait_until "the reply with control bytes" screen_has 'NAME=\027[31mred.ctl.test' || true
screen_has 'text = "before\013AFTER\027]0;owned\007\\end"' || fail "the text is not shown escaped"
echo "--- a lookup at the console ends at its time-out"
typed "server 127.0.0.50"; keys Enter
typed "set timeout=1"; keys Enter
typed "set retry=1"; keys Enter
sent=$(grep -cs name=silent.test "$dir/queries.log")
typed "silent.test"; keys Enter
wait_until "the query of the lookup" silent_queries $((sent + 1)) || true
wait_until "the end of the lookup at its time-out" at_prompt || true
[ "$(line_above_cursor)" = "No answer or error occur" ] || fail "the lookup ended with: $(line_above_cursor)"
echo "--- the end of input right after a lookup ended by Ctrl+C"
typed "set timeout=3600"; keys Enter
sent=$(grep -cs name=silent.test "$dir/queries.log")
typed "silent.test"; keys Enter
if wait_until "one more query at the silent server" silent_queries $((sent + 1)); then
  keys C-c
  wait_until "the prompt after the second Ctrl+C" at_prompt || true
  keys C-z Enter
  wait_until "status 0 after the end of input" ended || true
  screen_has "^C" && fail "the Ctrl+C of the lookup was taken for one at the prompt"
fi

echo "console pager: $failures failed"
[ "$failures" -eq 0 ]
