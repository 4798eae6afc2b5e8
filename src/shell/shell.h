// The command interpreter: the prompt, the commands and the set options.
#pragma once

#include "shell/text.h"

// The query type and class of every lookup.
extern int current_type;
extern int current_class;

// Prints the banner, discovers the system's servers and runs the prompt until
// `exit` or the end of input; returns 0.
int command_loop();
// Runs one command line; 1 when it was `exit`, else 0.
int run_command(const char* line);
// Applies the option of a whole `set` line.
void apply_set_option(const char* line);
// Writes the reverse-lookup name of the dotted address in word into out
// (LINE_SIZE bytes): 0, or -1 when it would not fit.
int make_reverse_name(const char* word, char* out);
