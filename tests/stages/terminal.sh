#!/usr/bin/env bash
# The client in a real terminal: tmux runs it in a pane, send-keys types as a
# person would and capture-pane reads the screen. Covers line editing, history
# and Tab completion, Ctrl+C at the prompt, the pager's key wait (which keys
# continue, which do not, that the key is consumed, that the request is wiped)
# and that the terminal's modes are the same after the program as before it,
# after exit, Ctrl+D, and SIGTERM at the pause, and are the shell's while the
# program is stopped at the pause; last, lines typed to a build made without
# libedit (build-unedited, which the stage builds).
#   tests/stages/terminal.sh [EXE]     (default build/kestrel)
# Runs itself inside tests/netns.sh, and there in a mount namespace of its own,
# where /etc/resolv.conf names 30 loopback servers so that `set all` lists 30.
# Every wait polls the screen for what must appear, with a generous bound.
set -euo pipefail
cd "$(dirname "$0")/../.."
exe=$(realpath "${1:-build/kestrel}")

# A build with line editing names the library it loads at a terminal.
if ! grep -q libedit.so "$exe"; then
  echo "terminal: $exe was built without libedit (install libedit-dev and build again)"
  exit 1
fi
unedited=build-unedited/kestrel
if [ "${KESTREL_IN_NETNS:-}" != 1 ]; then
  cmake -S . -B build-unedited -DCMAKE_BUILD_TYPE=Debug -DKESTREL_LIBEDIT=OFF -DKESTREL_TESTS=OFF >/dev/null
  cmake --build build-unedited -j"$(nproc)" >/dev/null
  exec tests/netns.sh bash "$0" "$exe"
fi
if [ "${KESTREL_TERMINAL_MOUNTS:-}" != 1 ]; then
  KESTREL_TERMINAL_MOUNTS=1 exec unshare -m bash "$0" "$exe"
fi

dir=$(mktemp -d /tmp/kestrel-terminal.XXXXXX)
sock=$dir/tmux.sock
fake_pid=
# At the end, the programs of the panes too: one that a fault keeps going
# after its terminal is gone would spin for ever.
end_all() {
  local f
  tmux -S "$sock" kill-server 2>/dev/null || true
  for f in "$dir"/*.pid; do kill -KILL "$(cat "$f")" 2>/dev/null || true; done
  [ -z "$fake_pid" ] || kill "$fake_pid" || true
  rm -rf "$dir"
}
trap end_all EXIT

# A fake server: on 127.0.0.2 a reply whose names and text hold control bytes
# (the reply of tests/e2e/cases/hostile_control_bytes), then a WKS answer for
# protocol 253, whose name in this run's protocol database holds them too; on
# 127.0.0.3 silence.
cat > "$dir/fake.script" <<'EOF'
127.0.0.2 udp reply raw=0000850000010002000000000363746c04746573740000100001c00c001000010000003c001b1a6265666f72650d41465445521b5d303b6f776e6564075c656e64091b5b33316d7265647f079b324ac29b324ac00c000100010000003c0004c0000201
127.0.0.2 udp reply raw=00008500000100010000000003776b7304746573740000010001c00c000b00010000003c0006c0000201fd40
127.0.0.3 udp silent
EOF
python3 tests/fake_server.py "$dir/fake.script" "$dir/fake.log" > "$dir/fake.ready" &
fake_pid=$!

for i in $(seq 1 30); do echo "nameserver 127.0.0.$i"; done > "$dir/resolv.conf"
chmod 644 "$dir/resolv.conf"
mount --bind "$dir/resolv.conf" /etc/resolv.conf
# The protocol database, with a name that holds control bytes for protocol 253.
printf 'tcp\t6\tTCP\nudp\t17\tUDP\nevil\033]0;owned\007\t253\n' > "$dir/protocols"
chmod 644 "$dir/protocols"
mount --bind "$dir/protocols" /etc/protocols

# As on a machine with libedit's run-time package alone: the development
# files' name for it, libedit.so, leads to no library.
mkdir "$dir/runtime-only"
: > "$dir/runtime-only/libedit.so"
export LD_LIBRARY_PATH=$dir/runtime-only

cat > "$dir/tmux.conf" <<'EOF'
set -g default-terminal screen
set -g history-limit 10000
set -g escape-time 0
EOF

# The pane: the terminal's modes before and after the program, and its status.
cat > "$dir/pane.sh" <<'EOF'
d=$1 exe=$2 run=$3
trap : INT   # a Ctrl+C that reaches the program as a signal must not end this script
stty -a > "$d/$run.stty-before"
sh -c 'echo $$ > "$1"; exec "$2"' sh "$d/$run.pid" "$exe"
echo $? > "$d/$run.status"
stty -a > "$d/$run.stty-after"
echo "pane done"
read -r _
EOF

# The pane of a run in a process group of its own, as an interactive shell
# starts a program: a signal the line editor passes on to its whole group ends
# the program alone.
cat > "$dir/job-pane.sh" <<'EOF'
set -m
. "$1/pane.sh"
EOF

# The pane of a run that is stopped at the pause: a shell with job control, as
# a user's is. It notes the modes the stopped program left, puts its own back
# as an interactive shell does, and continues the program with fg.
cat > "$dir/stop-pane.sh" <<'EOF'
d=$1 exe=$2 run=$3
set -m
stty -a > "$d/$run.stty-before"
stty -g > "$d/$run.stty-saved"
sh -c 'echo $$ > "$1"; exec "$2"' sh "$d/$run.pid" "$exe"
stopped() {   # stopped TIME: the modes left, the shell's own put back, and on
  stty -a > "$d/$run.stty-stopped-$1"
  stty "$(cat "$d/$run.stty-saved")"
  echo "program stopped the $1 time"
}
# (Not in a loop, which the shell leaves when a job in it stops.)
stopped first
fg > /dev/null
stopped second
fg > /dev/null
echo $? > "$d/$run.status"
stty -a > "$d/$run.stty-after"
echo "pane done"
read -r _
EOF

# The pane of a run in a terminal that helps the line editor with nothing: no
# kill or word-erase character, and a description (vt100) without Home, End
# or Delete keys.
cat > "$dir/bare-pane.sh" <<'EOF'
stty werase undef kill undef
TERM=vt100 exec bash "$1/pane.sh" "$@"
EOF

BOUND=${TERMINAL_WAIT_SECONDS:-60}
failures=0
session=

source "$(dirname "$0")/../tmux_helpers.sh"

cursor_line_is() { [ "$(cursor_line)" = "$1" ]; }
# Lines of the whole pane history equal to a text, leading and trailing blanks ignored.
count_lines() { everything | sed 's/^[[:space:]]*//; s/[[:space:]]*$//' | grep -cxF -- "$1" || true; }
count_is() { [ "$(count_lines "$1")" -eq "$2" ]; }

# The pane's terminal modes, as stty prints them.
pane_modes() { stty -a -F "$(tm display -p -t "$session" '#{pane_tty}')"; }
# The pager waits with line input, echo and signal keys off.
in_key_wait() {
  local m; m=$(pane_modes)
  grep -qw -- -icanon <<<"$m" && grep -qw -- -echo <<<"$m" && grep -qw -- -isig <<<"$m"
}
paused() { cursor_line_is "Press any key to continue..." && in_key_wait; }
at_prompt() { cursor_line_is ">"; }

start() {   # start RUN [PANE-SCRIPT]
  session=$1
  tm -f "$dir/tmux.conf" new-session -d -s "$session" -x 100 -y 50 \
    "bash $dir/${2:-pane.sh} $dir $exe $session"
  wait_until "prompt after start-up" at_prompt
}

# `set all` shows 30 servers and 3 option lines: the pager stops after the
# 24th counted line, the 23rd server, with the request on the next line.
pause_listing() {   # pause_listing: runs `set all` and waits for its pause
  local listed; listed=$(count_lines "127.0.0.23")
  typed "set all"; keys Enter
  wait_until "pause after 24 lines" paused || return 1
  [ "$(line_above_cursor)" = "127.0.0.23" ] || fail "the pause did not come right after the 23rd server"
  count_is "127.0.0.24" "$listed" || fail "the listing ran past the 24th line before the key"
  return 0
}

# The end of a listing and the prompt after it, with the request wiped.
listing_done() { at_prompt && screen_has "CLASS="; }
check_continued() {   # check_continued KEY-NAME
  wait_until "end of the listing after $1" listing_done || return 1
  screen_has "Press any key" && fail "the request is still on the screen after $1"
  # The request's line now holds the 24th line of the listing: blank before it was written over.
  local after; after=$(everything | sed 's/[[:space:]]*$//' | grep -A1 -F "127.0.0.23" | tail -1 || true)
  grep -qx "[[:space:]]*127\.0\.0\.24" <<<"$after" || fail "the line after the pause is not the 24th server after $1"
}

set_all_shows() {   # set_all_shows TEXT: `set all` (with its pause) lists TEXT
  pause_listing || return 1
  keys Space
  check_continued "Space" || return 1
  screen_has "$1" || fail "set all does not show $1"
}

echo "--- line editing, history, completion and the pager"
start edit

# Tab completion: the command word, the option word, the mnemonic after "=".
# 'se' begins two commands: Tab lists both and keeps the line; one more letter decides.
typed "se"; keys Tab
wait_until "the commands beginning with se" screen_has "server  set"
wait_until "the line kept after the list" cursor_line_is ">se"
typed "t"; keys Tab
wait_until "'set' completed to 'set '" cursor_line_is ">set"
typed "ty"; keys Tab
wait_until "'set ty' completed to 'set type='" cursor_line_is ">set type="
typed "m"; keys Tab
wait_until "the list of types beginning with m" screen_has "MINFO"
typed "x"; keys Tab
wait_until "'set type=mx' completed" cursor_line_is ">set type=MX"
keys Enter
wait_until "prompt after set type=MX" at_prompt
set_all_shows "TYPE=MX"

typed "set CL"; keys Tab
wait_until "'set CL' completed to 'set class='" cursor_line_is ">set class="
typed "ch"; keys Tab
wait_until "'set class=ch' completed" cursor_line_is ">set class=CHAOS"
keys Enter
wait_until "prompt after set class=CHAOS" at_prompt
set_all_shows "CLASS=CHAOS"
# A one-letter command is kept in the history.
typed "?"; keys Enter
wait_until "the help after ?" screen_has "exit the program"
wait_until "prompt after ?" at_prompt
keys Up
wait_until "? recalled" cursor_line_is ">?"

# History holds: set type=MX, set all, set class=CHAOS, set all, ?. The arrows
# walk it; the recalled "set class=CHAOS" is edited with Home and End.
keys Up Up Up
wait_until "the third line back" cursor_line_is ">set all"
keys Down
wait_until "recalled line" cursor_line_is ">set class=CHAOS"
keys BSpace BSpace BSpace BSpace BSpace
typed "IN"
keys Home; typed "  "; keys End
wait_until "edited line" cursor_line_is ">  set class=IN"
keys Enter
wait_until "prompt after the edited line" at_prompt
set_all_shows "CLASS=IN"
# Ctrl+U drops the line typed so far, Ctrl+A and Ctrl+E go to its ends,
# Ctrl+W drops the word before the cursor, Ctrl+Left moves back a word.
typed "nonsense words"; keys C-u
typed "type=NS junk"; keys C-a; typed "set "; keys C-e C-w
typed "more junk"; keys C-Left C-k
wait_until "line after Ctrl+U, Ctrl+A, Ctrl+E, Ctrl+W and Ctrl+Left" cursor_line_is ">set type=NS more"
keys C-w
wait_until "line after one more Ctrl+W" cursor_line_is ">set type=NS"
keys Enter
wait_until "prompt after Ctrl+U and Ctrl+W" at_prompt
set_all_shows "TYPE=NS"

# Keys that give no character do not continue: Shift with an arrow, the arrow
# keys, function keys (the Linux console's F1 among them), Home; nor does a
# change of the window's size. Had one of them continued, the letter after them
# would reach the next command line.
pause_listing
keys S-Left; keys Up; keys Left; keys F1; keys F5; keys Home; typed $'\e[[A'
tm resize-window -t "$session" -x 90 -y 50
wait_until "the pane to shrink" test "$(tm display -p -t "$session" '#{pane_width}')" = 90
in_key_wait || fail "the pause ended without a key"
keys x
check_continued "a letter"
in_key_wait && fail "the terminal stayed in the key wait's modes"
prompts=$(count_lines ">set all")
typed "set all"; keys Enter
# The letter was consumed: the command line holds exactly what was typed after it.
wait_until "the next command line, free of the letter" count_is ">set all" $((prompts + 1))
wait_until "pause after 24 lines" paused
# Ctrl+C is an ordinary key at the pause: it continues and the program goes on.
keys C-c
check_continued "Ctrl+C"
set_all_shows "TYPE=NS"
# A lone Escape continues too.
pause_listing
keys Escape
check_continued "Escape"
set_all_shows "CLASS=IN"
# A key of two bytes continues, taken whole, and what is typed right after it
# is kept for the prompt: here the next command.
pause_listing
prompts=$(count_lines ">set all")
typed "éset all"; keys Enter
wait_until "the command typed after é" count_is ">set all" $((prompts + 1))
wait_until "its pause" paused
# Ctrl+S, the terminal's stop key elsewhere, is a key here too.
keys C-s
check_continued "Ctrl+S"

# A change of the window's size while a line is edited keeps the line.
typed "set al"
tm resize-window -t "$session" -x 100 -y 50
wait_until "the pane to grow" test "$(tm display -p -t "$session" '#{pane_width}')" = 100
typed "l"
wait_until "the line kept through the resize" cursor_line_is ">set all"
keys Enter
wait_until "pause after 24 lines" paused
keys Space
check_continued "Space"
# A line longer than 255 characters: its first 255 are the command ("set d",
# an unknown option) and the rest is dropped, not read as another command.
typed "$(printf '%250s' '')set debug"; keys Enter
wait_until "the refusal of the cut line" screen_has "Invalid option"
wait_until "prompt after the long line" at_prompt
set_all_shows "Nodebug"

# Completions wider than the pane are listed in columns that fit it, each word
# whole on one line. At 26 columns a list laid out for 80 would be cut by the
# pane's edge inside MAILB.
tm resize-window -t "$session" -x 26 -y 50
wait_until "the pane to narrow" test "$(tm display -p -t "$session" '#{pane_width}')" = 26
typed "set type=M"; keys Tab
wait_until "the types beginning with M" screen_has "MAILA"
listed=$(screen | sed 's/[[:space:]]*$//' | awk '/^>/ { last = list; list = ""; next } { list = list " " $0 } END { print last }')
[ "$(tr -s ' ' '\n' <<<"$listed" | sort | xargs)" = "MAILA MAILB MB MD MF MG MINFO MR MX" ] ||
  fail "the completions in a narrow pane are not whole words:$listed"
keys C-u

# Of a longer line, 255 characters are taken: here 251 blanks and "exit".
typed "$(printf '%251sexitz' '')"; keys Enter
wait_until "the program's end" screen_has "pane done"
[ "$(cat "$dir/edit.status" 2>/dev/null)" = 0 ] || fail "exit ended with status $(cat "$dir/edit.status" 2>/dev/null)"
# The first line of stty -a gives the window's size, which the test changed.
diff <(tail -n +2 "$dir/edit.stty-before") <(tail -n +2 "$dir/edit.stty-after") ||
  fail "the terminal's modes differ after exit"

echo "--- the editing keys in a bare terminal"
# The program binds them itself: each of these moves or deletes as a shell
# line does, whatever the terminal says (the sequences of xterm, rxvt and the
# Linux console for Home, End, Delete and the word moves).
start bare bare-pane.sh
typed "xy d"; typed $'\e[D\e[D'; keys C-u        # "| d": Ctrl+U drops what is before the cursor
typed "b"; typed $'\e[4~'; typed $'\e[1;5D'       # "b |d": End, Ctrl+Left
typed "c"; typed $'\e[1;3D'; typed "x "            # "b x |cd": Alt+Left
typed $'\e[1;5C'; typed "e"; typed $'\e[1~'       # "|b x cde": Ctrl+Right, Home
typed "a"; typed $'\e[1;3C'; typed "1"             # "ab1| x cde": Alt+Right
typed $'\e[8~'; typed "f"; typed $'\e[7~'         # "|ab1 x cdef": End and Home of rxvt
typed $'\e[3~'                                    # Delete
wait_until "the line edited by every key" cursor_line_is ">b1 x cdef"
typed $'\e[4~'; keys C-u
# A line entered twice in a row is one line of the history.
for line in "set timeout=1" "set retry=3" "set retry=3"; do
  typed "$line"; keys Enter
  wait_until "the prompt after $line" at_prompt
done
keys Up Up
wait_until "the line before the repeated one" cursor_line_is ">set timeout=1"
keys C-u
typed "exit"; keys Enter
wait_until "the program's end" screen_has "pane done"
diff "$dir/bare.stty-before" "$dir/bare.stty-after" || fail "the terminal's modes differ after the bare terminal's run"

echo "--- Ctrl+D on an empty line"
start eof
# Enter on an empty line is no end: it looks up the root (with no tries, which
# ends at once), and the session goes on.
typed "set retry=0"; keys Enter
wait_until "prompt after set retry=0" at_prompt
keys Enter
wait_until "the empty line's lookup" screen_has "No answer or error occur"
wait_until "prompt after it" at_prompt
# The history keeps 500 lines: of these 502, Up goes back to the third.
typed "$(for i in $(seq 1 501); do printf 'set retry=%d\r' "$i"; done)"
last_taken() { at_prompt && [ "$(line_above_cursor)" = ">set retry=501" ]; }
wait_until "the 501 lines taken" last_taken
keys -N 600 Up
wait_until "the oldest line kept" cursor_line_is ">set retry=2"
keys C-u
typed "set al"; keys Tab
wait_until "'set al' completed" cursor_line_is ">set all"
keys C-u C-d
wait_until "the program's end" screen_has "pane done"
count_is "pane done" 1 || fail "Ctrl+D left the prompt's line open"
[ "$(cat "$dir/eof.status" 2>/dev/null)" = 0 ] || fail "Ctrl+D ended with status $(cat "$dir/eof.status" 2>/dev/null)"
diff "$dir/eof.stty-before" "$dir/eof.stty-after" || fail "the terminal's modes differ after Ctrl+D"

echo "--- Ctrl+C at the prompt"
# It drops the line being typed, marked ^C, and prompts afresh, on an empty
# line too; the session goes on with its settings, and exit ends it as usual.
start interrupt
typed "set type=MX"; keys Enter
wait_until "prompt after set type=MX" at_prompt
typed "set ty"; keys Tab
wait_until "'set ty' completed" cursor_line_is ">set type="
keys Left Left   # the mark goes at the line's end wherever the cursor is
keys C-c
wait_until "a fresh prompt after Ctrl+C" at_prompt
[ "$(line_above_cursor)" = ">set type=^C" ] || fail "the line above the fresh prompt is $(line_above_cursor)"
keys C-c
wait_until "a fresh prompt after Ctrl+C on an empty line" count_is ">^C" 1
wait_until "the prompt after it" at_prompt
set_all_shows "TYPE=MX"

# At a terminal the control bytes of a reply are shown escaped, and drive nothing.
wait_until "the fake server" grep -q ready "$dir/fake.ready"
typed "server 127.0.0.2"; keys Enter
wait_until "prompt after server" at_prompt
typed "ctl.test"; keys Enter
wait_until "the reply with control bytes" screen_has 'NAME=\027[31mred\127.\1552J\194\1552J.ctl.test'
screen_has 'text = "before\013AFTER\027]0;owned\007\\end"' || fail "the text is not shown escaped"
# So is the name the system's protocol database gives a WKS record's protocol.
typed "wks.test"; keys Enter
wait_until "the WKS answer" screen_has 'protocol = evil\027]0;owned\007'
# Ctrl+C during a lookup to a silent server ends it at once, with the servers
# and settings kept.
typed "server 127.0.0.3"; keys Enter
typed "set timeout=3600"; keys Enter
typed "slow.test"; keys Enter
wait_until "the query to the silent server" grep -q slow.test "$dir/fake.log"
keys C-c
wait_until "the lookup given up" screen_has "No answer or error occur"
wait_until "the prompt after it" at_prompt
typed "set all"; keys Enter
wait_until "the settings kept" screen_has "timeout=3600"
screen_has "127.0.0.3" || fail "the server list was not kept"
[ "$(grep -c slow.test "$dir/fake.log")" = 1 ] || fail "queries were sent after Ctrl+C"
typed "exit"; keys Enter
wait_until "the program's end" screen_has "pane done"
[ "$(cat "$dir/interrupt.status" 2>/dev/null)" = 0 ] ||
  fail "exit after Ctrl+C ended with status $(cat "$dir/interrupt.status" 2>/dev/null)"
diff "$dir/interrupt.stty-before" "$dir/interrupt.stty-after" || fail "the terminal's modes differ after Ctrl+C"

echo "--- SIGTERM at the pause"
# The pager's key wait has the terminal in raw mode; a signal that ends the
# program there puts the modes back first, and the program ends by the signal.
start term
pause_listing
kill -TERM "$(cat "$dir/term.pid")"
wait_until "the program's end" screen_has "pane done"
[ "$(cat "$dir/term.status" 2>/dev/null)" = 143 ] ||
  fail "SIGTERM at the pause ended with status $(cat "$dir/term.status" 2>/dev/null)"
diff "$dir/term.stty-before" "$dir/term.stty-after" || fail "the terminal's modes differ after SIGTERM at the pause"

echo "--- SIGTERM at the prompt"
# While a line is edited the terminal is in the editor's modes; the editor puts
# the terminal's own back before the signal ends the program.
start termprompt job-pane.sh
typed "set ty"
kill -TERM "$(cat "$dir/termprompt.pid")"
wait_until "the program's end" screen_has "pane done"
[ "$(cat "$dir/termprompt.status" 2>/dev/null)" = 143 ] ||
  fail "SIGTERM at the prompt ended with status $(cat "$dir/termprompt.status" 2>/dev/null)"
diff "$dir/termprompt.stty-before" "$dir/termprompt.stty-after" || fail "the terminal's modes differ after SIGTERM at the prompt"

echo "--- SIGTSTP at the pause"
# Stopped from outside at the pause, the program gives the shell the terminal
# in its own modes; continued, it waits for the key in the pause's modes again.
start stop stop-pane.sh
pause_listing
pause_modes=$(pane_modes)
pause_modes_again() { [ "$(pane_modes)" = "$pause_modes" ]; }
for time in first second; do
  kill -TSTP "$(cat "$dir/stop.pid")"
  wait_until "the program stopped the $time time" screen_has "program stopped the $time time"
  diff "$dir/stop.stty-before" "$dir/stop.stty-stopped-$time" ||
    fail "the terminal kept the pause's modes while stopped the $time time"
  wait_until "the pause's modes after the program was continued the $time time" pause_modes_again
done
# A lone Escape, whose end is known only when the wait for more of it runs out.
keys Escape
wait_until "the end of the listing after the key" screen_has "CLASS="
typed "exit"; keys Enter
wait_until "the program's end" screen_has "pane done"
[ "$(cat "$dir/stop.status" 2>/dev/null)" = 0 ] ||
  fail "exit after the stop ended with status $(cat "$dir/stop.status" 2>/dev/null)"
diff "$dir/stop.stty-before" "$dir/stop.stty-after" || fail "the terminal's modes differ after the stop"

# A session read plainly: a line typed, the `set all` that shows it, exit.
plain_session() {   # plain_session RUN WHAT
  start "$1"
  typed "set type=MX"; keys Enter
  wait_until "prompt after set type=MX" at_prompt
  set_all_shows "TYPE=MX"
  typed "exit"; keys Enter
  wait_until "the program's end" screen_has "pane done"
  [ "$(cat "$dir/$1.status" 2>/dev/null)" = 0 ] ||
    fail "$2 ended with status $(cat "$dir/$1.status" 2>/dev/null)"
}

echo "--- a terminal without libedit"
# Where libedit cannot be loaded, the lines typed at a terminal are read plainly.
# The last runs of the stage: from here on, every libedit is the null device.
for lib in $(ldconfig -p | awk '/libedit\.so/ {print $NF}'); do mount --bind /dev/null "$lib"; done
plain_session plain "the run without libedit"
diff "$dir/plain.stty-before" "$dir/plain.stty-after" || fail "the terminal's modes differ after the run without libedit"

echo "--- a build without libedit"
exe=$(realpath "$unedited")
plain_session unedited "the build without libedit"

if [ "$failures" -gt 0 ]; then
  echo "terminal: $failures failed"
  exit 1
fi
echo "terminal: all passed"
