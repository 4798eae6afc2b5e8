// What the concerns of the POSIX backend share: Ctrl+C's note, the wait it
// cuts short, and the line editor as the console reads lines through it.
#pragma once

#include <poll.h>

// Whether Ctrl+C at the terminal is noted (see interrupt.cpp).
bool interrupts_watched();
// Starts watching for Ctrl+C when standard input is a terminal.
void watch_interrupts();
// poll on one descriptor that a Ctrl+C before or during the wait ends with
// WAIT_INTERRUPTED (errno EINTR); otherwise poll's result.
int poll_unless_interrupted(pollfd& p, int milliseconds);

// What a reader of a line gives when Ctrl+C dropped the line.
constexpr int LINE_DROPPED = -2;

// The line editor (line_editor.cpp where libedit's header was found at build
// time, no_line_editor.cpp elsewhere): started at the first line read at a
// terminal, false when there is none; then a line read through it, as
// read_command_line gives it (LINE_DROPPED after Ctrl+C).
bool start_line_editor();
int read_edited_line(const char* prompt, char* line, int size);
